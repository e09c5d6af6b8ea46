#include "signature/TrustLibrary.h"

namespace {

HMODULE LoadSystemLibrary(const wchar_t* name)
{
    return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

template <typename Function>
bool Resolve(HMODULE module, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return function != nullptr;
}

struct LoadedTrustLibrary {
    LibraryHandle wintrust;
    LibraryHandle crypt32;
    TrustLibrary functions;
    DWORD error = ERROR_SUCCESS;
    bool complete = false;

    LoadedTrustLibrary()
    {
        wintrust.Reset(LoadSystemLibrary(L"wintrust.dll"));
        crypt32.Reset(LoadSystemLibrary(L"crypt32.dll"));
        if (!wintrust || !crypt32) {
            error = GetLastError();
            return;
        }
        const HMODULE trust = wintrust.Get();
        const HMODULE crypt = crypt32.Get();
        complete = Resolve(trust, "WinVerifyTrust", functions.WinVerifyTrust) &&
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
    // Loaded once and kept for the process's life: the run asks twice, on the main thread.
    static const LoadedTrustLibrary library;
    if (loadError != nullptr)
        *loadError = library.error;
    return library.complete ? &library.functions : nullptr;
}
