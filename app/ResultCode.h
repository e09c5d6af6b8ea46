#pragma once
// The run's status values. 0 is success; 1 from ParseOptions means help was asked for.
// Negative values are HRESULT-style failures (the program's own and the platform's); positive
// values are Win32 error numbers or the launched installer's exit code.
#include <cstdint>

using ResultCode = int32_t;

namespace Result {
constexpr ResultCode Ok = 0;
constexpr ResultCode HelpRequested = 1;
constexpr ResultCode Fail = static_cast<ResultCode>(0x80004005);             // E_FAIL
constexpr ResultCode Abort = static_cast<ResultCode>(0x80004004);            // E_ABORT
constexpr ResultCode InvalidArg = static_cast<ResultCode>(0x80070057);       // E_INVALIDARG
constexpr ResultCode InvalidParameter = static_cast<ResultCode>(0x80030057); // STG_E_INVALIDPARAMETER
constexpr ResultCode MediumFull = static_cast<ResultCode>(0x80030070);       // STG_E_MEDIUMFULL
constexpr ResultCode CorruptFile = static_cast<ResultCode>(0x80040167);
constexpr ResultCode NetFrameworkMissing = static_cast<ResultCode>(0x80110409);
constexpr ResultCode AdminRightsMissing = static_cast<ResultCode>(0x80110413);
constexpr ResultCode MsiEngineTooOld = 1613;                                 // ERROR_INSTALL_PACKAGE_VERSION
constexpr ResultCode NoSignature = static_cast<ResultCode>(0x800B0100);      // TRUST_E_NOSIGNATURE
constexpr ResultCode CertChaining = static_cast<ResultCode>(0x800B010A);     // CERT_E_CHAINING
// The exit code of a managed program whose runtime could not start it.
constexpr int32_t NetRuntimeFailure = static_cast<int32_t>(0x80131700);

// A failure code for a platform error number (HRESULT_FROM_WIN32).
constexpr ResultCode FromWin32(uint32_t error)
{
    return error == 0 ? Fail : static_cast<ResultCode>((error & 0xFFFFu) | 0x80070000u);
}
} // namespace Result
