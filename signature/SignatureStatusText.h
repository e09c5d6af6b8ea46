#pragma once
// The words for the trust provider's verdict on a file.
#include "app/ResultCode.h"

#include <cstdint>
#include <string>

// Returns the one-line description (ending in a newline) of the trust status `status` for the
// file at `path`. `lastError` is the thread's last error read right after the trust call; only
// the no-signature status uses it, to tell an unsigned file from an unknown failure.
std::wstring DescribeTrustStatus(ResultCode status, uint32_t lastError, const std::wstring& path);
