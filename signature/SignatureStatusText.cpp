#include "signature/SignatureStatusText.h"

#include "framework/Format.h"

namespace {

// Statuses whose text needs no argument but the path (or nothing).
struct StatusText {
    uint32_t status;
    const wchar_t* text;
    bool namesPath;
};

constexpr StatusText kStatusTexts[] = {
    {0x00000000, L"The file \"%s\" is signed and the signature was verified.\n", true},
    {0x800B0111, L"The signature is present, but specifically disallowed.\n", false},  // TRUST_E_EXPLICIT_DISTRUST
    {0x800B0004, L"The signature is present, but not trusted.\n", false},              // TRUST_E_SUBJECT_NOT_TRUSTED
    {0x80092026,
     L"The subject or the publisher wasn't explicitly trusted by the admin and admin policy has disabled user "
     L"trust. No signature, publisher or timestamp errors.\n",
     false},                                                                          // CRYPT_E_SECURITY_SETTINGS
    {0x800B010A, L"The certificate in the signature cannot be verified.\n", false},   // CERT_E_CHAINING
};

// Last errors that, beside TRUST_E_NOSIGNATURE, mean the file simply carries no signature.
constexpr uint32_t kNotSignedErrors[] = {
    0x800B0100,  // TRUST_E_NOSIGNATURE
    0x800B0003,  // TRUST_E_SUBJECT_FORM_UNKNOWN
    0x800B0001,  // TRUST_E_PROVIDER_UNKNOWN
};

constexpr wchar_t kNotSigned[] = L"The file \"%s\" is not signed. Error 0x%x\n";
constexpr wchar_t kUnknownFailure[] =
    L"An unknown error occurred trying to verify the signature of the \"%s\" file. Error 0x%x\n";
constexpr wchar_t kOtherStatus[] = L"Error is: 0x%x.\n";

bool IsNotSignedError(uint32_t lastError)
{
    for (uint32_t error : kNotSignedErrors)
        if (error == lastError)
            return true;
    return false;
}

} // namespace

std::wstring DescribeTrustStatus(ResultCode status, uint32_t lastError, const std::wstring& path)
{
    const uint32_t code = static_cast<uint32_t>(status);
    if (status == Result::NoSignature)
        return FormatString(IsNotSignedError(lastError) ? kNotSigned : kUnknownFailure, path.c_str(), lastError);
    for (const StatusText& entry : kStatusTexts) {
        if (entry.status == code)
            return entry.namesPath ? FormatString(entry.text, path.c_str()) : std::wstring(entry.text);
    }
    return FormatString(kOtherStatus, code);
}
