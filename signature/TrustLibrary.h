#pragma once
// The trust provider (wintrust.dll) and the certificate services (crypt32.dll), loaded at run
// time from the system folder only (framework/SystemLibrary.h). Neither is a known DLL: a
// plain import would be resolved at process start from the setup file's own folder first,
// where a planted copy could wait.
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
namespace CryptRelease {
inline void Store(HCERTSTORE store) { GetTrustLibrary()->CertCloseStore(store, 0); }
inline void Message(HCRYPTMSG message) { GetTrustLibrary()->CryptMsgClose(message); }
inline void Certificate(PCCERT_CONTEXT context) { GetTrustLibrary()->CertFreeCertificateContext(context); }
} // namespace CryptRelease

using CertStore = UniqueHandle<NullInvalid<HCERTSTORE, CryptRelease::Store>>;
using CryptMessage = UniqueHandle<NullInvalid<HCRYPTMSG, CryptRelease::Message>>;
using CertContext = UniqueHandle<NullInvalid<PCCERT_CONTEXT, CryptRelease::Certificate>>;
