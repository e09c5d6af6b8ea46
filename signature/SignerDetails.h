#pragma once
// Reading the signer's details out of a file's embedded signature.
#include "signature/SignerDetailsText.h"

#include <windows.h>

#include <wincrypt.h>

#include <string>

// Opens the embedded signature of the file at `path` and fills `details` from its first signer.
// Returns true when the signer information could be read (the record may still be only partly
// filled); false, with a log line for each failed step after the signature was found, otherwise.
bool GetAuthenticodeInformation(const std::wstring& path, SignerDetails& details);

// Fills the program name and the two links from the signer's opus-info attribute; logs what it
// found. Leaves the fields absent when there is no such attribute or it cannot be decoded.
void GetProgAndPublisherInfo(const CMSG_SIGNER_INFO& signer, SignerDetails& details);

// Fills the serial number and the issuer and subject names from the signer's certificate in
// `store`; leaves them absent when the certificate is not there.
void GetCertificateInfo(HCERTSTORE store, const CMSG_SIGNER_INFO& signer, SignerDetails& details);

// How the run reads a file's signer details; tests put in records the platform cannot be made to give.
using SignerDetailsReader = bool (*)(const std::wstring& path, SignerDetails& details);

// Logs the signer's details of the file at `path` and returns the program name to carry on:
// the signed one when present, the default otherwise.
std::wstring LogSignerDetails(const std::wstring& path, SignerDetailsReader read = GetAuthenticodeInformation);
