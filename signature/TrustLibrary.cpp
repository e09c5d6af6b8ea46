#include "signature/TrustLibrary.h"

#include "framework/SystemLibrary.h"

namespace {

template <typename Function>
bool Resolve(HMODULE module, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return function != nullptr;
}

struct LoadedTrustLibrary {
    TrustLibrary functions;
    DWORD error = ERROR_SUCCESS;
    bool complete = false;

    LoadedTrustLibrary()
    {
        const HMODULE trust = LoadSystemLibrary(L"wintrust.dll");
        const HMODULE crypt = trust != nullptr ? LoadSystemLibrary(L"crypt32.dll") : nullptr;
        complete = crypt != nullptr && Resolve(trust, "WinVerifyTrust", functions.WinVerifyTrust) &&
                   Resolve(crypt, "CryptQueryObject", functions.CryptQueryObject) &&
                   Resolve(crypt, "CryptMsgGetParam", functions.CryptMsgGetParam) &&
                   Resolve(crypt, "CryptMsgClose", functions.CryptMsgClose) &&
                   Resolve(crypt, "CryptDecodeObject", functions.CryptDecodeObject) &&
                   Resolve(crypt, "CertCloseStore", functions.CertCloseStore) &&
                   Resolve(crypt, "CertFindCertificateInStore", functions.CertFindCertificateInStore) &&
                   Resolve(crypt, "CertGetNameStringW", functions.CertGetNameStringW) &&
                   Resolve(crypt, "CertFreeCertificateContext", functions.CertFreeCertificateContext);
        if (!complete)
            error = GetLastError();
    }
};

} // namespace

const TrustLibrary* GetTrustLibrary(DWORD* loadError)
{
    // Resolved once: the run asks twice, on the main thread, and the libraries stay loaded.
    static const LoadedTrustLibrary library;
    if (loadError != nullptr)
        *loadError = library.error;
    return library.complete ? &library.functions : nullptr;
}
