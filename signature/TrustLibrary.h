#pragma once
// The trust provider (wintrust.dll) and the certificate services (crypt32.dll), loaded at run
// time from the system folder only. Neither is a known DLL, and a plain import would be
// resolved at process start from the setup file's own folder first, where a planted copy could
// wait; loading them here, after the search path is restricted, keeps them out of reach.
#include <windows.h>

#include <wincrypt.h>
#include <wintrust.h>

#include "framework/Handles.h"

struct TrustLibrary {
    decltype(&::WinVerifyTrust) WinVerifyTrust = nullptr;
    decltype(&::CryptQueryObject) CryptQueryObject = nullptr;
    decltype(&::CryptMsgGetParam) CryptMsgGetParam = nullptr;
    decltype(&::CryptMsgClose) CryptMsgClose = nullptr;
    decltype(&::CryptDecodeObject) CryptDecodeObject = nullptr;
    decltype(&::CertCloseStore) CertCloseStore = nullptr;
    decltype(&::CertFindCertificateInStore) CertFindCertificateInStore = nullptr;
    decltype(&::CertGetNameStringW) CertGetNameStringW = nullptr;
    decltype(&::CertFreeCertificateContext) CertFreeCertificateContext = nullptr;
};

// Returns the loaded functions, loading both libraries on first use; null when a library or
// one of its functions cannot be had, with the platform's error in `loadError` (the same error
// on every later call).
const TrustLibrary* GetTrustLibrary(DWORD* loadError = nullptr);

// Owners for what the certificate services hand out. They release through the loaded library,
// which exists whenever one of them holds something.
struct CertCloseStoreReleaser {
    void operator()(HCERTSTORE store) const { GetTrustLibrary()->CertCloseStore(store, 0); }
};
struct CryptMsgCloseReleaser {
    void operator()(HCRYPTMSG message) const { GetTrustLibrary()->CryptMsgClose(message); }
};
struct CertFreeContextReleaser {
    void operator()(PCCERT_CONTEXT context) const { GetTrustLibrary()->CertFreeCertificateContext(context); }
};

using CertStore = UniqueHandle<HCERTSTORE, CertCloseStoreReleaser, nullptr>;
using CryptMessage = UniqueHandle<HCRYPTMSG, CryptMsgCloseReleaser, nullptr>;
using CertContext = UniqueHandle<PCCERT_CONTEXT, CertFreeContextReleaser, nullptr>;
