#pragma once
#include "app/ResultCode.h"

#include <cstdint>
#include <string>

// What the trust provider said about a file: its status and the thread's last error read right
// after the call.
struct TrustVerdict {
    ResultCode status;
    uint32_t lastError;
};

// Asks the platform's trust provider for its verdict on `path`: generic verification, no user
// interface, no revocation checks, no state kept. A trust library that cannot be loaded gives
// its load error as the status.
TrustVerdict AskTrustProvider(const std::wstring& path);

// The trust provider as the run calls it; tests put in verdicts the platform cannot be made to give.
using TrustProviderCall = TrustVerdict (*)(const std::wstring& path);

// Asks the platform's trust provider whether the file's embedded signature is valid and
// trusted. Returns the provider's status unchanged (0 when verified) and puts a one-line
// description of the outcome into `description`; logs it.
ResultCode VerifyFileSignature(const std::wstring& path, std::wstring& description,
                               TrustProviderCall askTrustProvider = AskTrustProvider);
