#pragma once
// How a certificate's serial number is written in the log.
#include <cstddef>
#include <cstdint>
#include <string>

// Returns the serial number held least significant byte first (as the certificate record holds
// it) as upper-case hexadecimal, most significant byte first and two digits a byte, the way
// certificate viewers show it. No bytes give the empty text.
std::wstring FormatSerialNumber(const uint8_t* bytes, size_t size);
