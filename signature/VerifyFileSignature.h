#pragma once
#include "app/ResultCode.h"

#include <string>

// Asks the platform's trust provider whether the file's embedded signature is valid and
// trusted. Returns the provider's status unchanged (0 when verified) and puts a one-line
// description of the outcome into `description`; logs it.
ResultCode VerifyFileSignature(const std::wstring& path, std::wstring& description);
