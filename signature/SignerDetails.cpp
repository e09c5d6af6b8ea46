#include "signature/SignerDetails.h"

#include "app/BrennixInstallerApp.h"
#include "app/Log.h"
#include "framework/LongPath.h"
#include "signature/TrustLibrary.h"

#include <cstring>
#include <cwchar>

namespace {

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

std::optional<std::wstring> CopyText(const wchar_t* text)
{
    if (text == nullptr)
        return std::nullopt;
    return std::wstring(text);
}

// A link's text when it is a URL or file link; a moniker is never copied.
std::optional<std::wstring> CopyLink(const SPC_LINK& link)
{
    switch (link.dwLinkChoice) {
    case SPC_URL_LINK_CHOICE:
        return CopyText(link.pwszUrl);
    case SPC_FILE_LINK_CHOICE:
        return CopyText(link.pwszFile);
    default:
        return std::nullopt;
    }
}

// Decodes an opus-info value into a zeroed local allocation; logs and returns an empty owner on failure.
LocalMemory DecodeOpusInfo(const TrustLibrary& library, const CRYPT_ATTR_BLOB& value)
{
    DWORD size = 0;
    if (!library.CryptDecodeObject(kEncoding, SPC_SP_OPUS_INFO_OBJID, value.pbData, value.cbData, 0, nullptr, &size)) {
        WriteLog(L"GetProgAndPublisherInfo failed CryptDecodeObject\n");
        return LocalMemory();
    }
    LocalMemory decoded(LocalAlloc(LPTR, size));
    if (!decoded) {
        WriteLog(L"GetProgAndPublisherInfo failed Allocate1\n");
        return LocalMemory();
    }
    if (!library.CryptDecodeObject(kEncoding, SPC_SP_OPUS_INFO_OBJID, value.pbData, value.cbData, 0, decoded.Get(),
                                   &size)) {
        WriteLog(L"GetProgAndPublisherInfo failed CryptoDecodeObject\n");
        return LocalMemory();
    }
    return decoded;
}

// A simple display name of the certificate (its issuer's with CERT_NAME_ISSUER_FLAG); absent
// when the platform gives no length.
std::optional<std::wstring> GetCertificateName(const TrustLibrary& library, PCCERT_CONTEXT certificate, DWORD flags)
{
    const DWORD length =
        library.CertGetNameStringW(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, flags, nullptr, nullptr, 0);
    if (length == 0)
        return std::nullopt;
    std::wstring name(length, L'\0');
    library.CertGetNameStringW(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, flags, nullptr, &name[0], length);
    name.resize(std::wcslen(name.c_str()));
    return name;
}

// The steps of GetAuthenticodeInformation between its first and last log line; every owner is
// released when this returns.
bool ReadFirstSigner(const TrustLibrary& library, const std::wstring& path, SignerDetails& details)
{
    const std::wstring fileName = ExtendedLengthPath(path);

    DWORD encoding = 0;
    DWORD contentType = 0;
    DWORD formatType = 0;
    CertStore store;
    CryptMessage message;
    if (!library.CryptQueryObject(CERT_QUERY_OBJECT_FILE, fileName.c_str(), CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED,
                                  CERT_QUERY_FORMAT_FLAG_BINARY, 0, &encoding, &contentType, &formatType,
                                  store.Receive(), message.Receive(), nullptr))
        return false;

    DWORD size = 0;
    if (!library.CryptMsgGetParam(message.Get(), CMSG_SIGNER_INFO_PARAM, 0, nullptr, &size)) {
        WriteLog(L"GetAuthenticodeInformation failed CryptMsgGetParam\n");
        return false;
    }
    LocalMemory signerBuffer(LocalAlloc(LPTR, size));
    if (!signerBuffer) {
        WriteLog(L"GetAuthenticodeInformation failed Allocate 1\n");
        return false;
    }
    if (!library.CryptMsgGetParam(message.Get(), CMSG_SIGNER_INFO_PARAM, 0, signerBuffer.Get(), &size)) {
        WriteLog(L"GetAuthenticodeInformation failed SignerInfo \n");
        return false;
    }
    const auto& signer = *static_cast<const CMSG_SIGNER_INFO*>(signerBuffer.Get());
    GetProgAndPublisherInfo(signer, details);
    GetCertificateInfo(store.Get(), signer, details);
    return true;
}

} // namespace

bool GetAuthenticodeInformation(const std::wstring& path, SignerDetails& details)
{
    WriteLog(L"GetAuthenticodeInformation \n");
    const TrustLibrary* library = GetTrustLibrary();
    const bool result = library != nullptr && ReadFirstSigner(*library, path, details);
    WriteLog(L"GetAuthenticodeInformation Fininshed\n");
    return result;
}

void GetProgAndPublisherInfo(const CMSG_SIGNER_INFO& signer, SignerDetails& details)
{
    const TrustLibrary* library = GetTrustLibrary();
    if (library == nullptr)
        return;
    for (DWORD i = 0; i < signer.AuthAttrs.cAttr; ++i) {
        const CRYPT_ATTRIBUTE& attribute = signer.AuthAttrs.rgAttr[i];
        if (attribute.pszObjId == nullptr || std::strcmp(attribute.pszObjId, SPC_SP_OPUS_INFO_OBJID) != 0)
            continue;
        // Only the first opus-info attribute counts, whatever becomes of it.
        if (attribute.cValue == 0) {
            WriteLog(L"GetProgAndPublisherInfo failed CryptDecodeObject\n");
            return;
        }
        const LocalMemory decoded = DecodeOpusInfo(*library, attribute.rgValue[0]);
        if (!decoded)
            return;
        const auto& opusInfo = *static_cast<const SPC_SP_OPUS_INFO*>(decoded.Get());

        details.ProgramName = CopyText(opusInfo.pwszProgramName);
        if (!details.ProgramName)
            WriteLog(L"GetProgAndPublisherInfo failed pwszProgramName\n");

        if (opusInfo.pPublisherInfo != nullptr) {
            details.PublisherLink = CopyLink(*opusInfo.pPublisherInfo);
            WriteLogFormat(L"GetProgAndPublisherInfo switch 1 %d\n", opusInfo.pPublisherInfo->dwLinkChoice);
        } else {
            WriteLog(L"GetProgAndPublisherInfo pPublisheInfo = null\n");
        }

        if (opusInfo.pMoreInfo != nullptr) {
            details.MoreInfo = CopyLink(*opusInfo.pMoreInfo);
            WriteLogFormat(L"GetProgAndPublisherInfo switch MoreInfo %d\n", opusInfo.pMoreInfo->dwLinkChoice);
        } else {
            WriteLog(L"GetProgAndPublisherInfo pMoreInfo = null\n");
        }
        return;
    }
}

void GetCertificateInfo(HCERTSTORE store, const CMSG_SIGNER_INFO& signer, SignerDetails& details)
{
    const TrustLibrary* library = GetTrustLibrary();
    if (library == nullptr)
        return;
    CERT_INFO wanted = {};
    wanted.Issuer = signer.Issuer;
    wanted.SerialNumber = signer.SerialNumber;
    const CertContext certificate(
        library->CertFindCertificateInStore(store, kEncoding, 0, CERT_FIND_SUBJECT_CERT, &wanted, nullptr));
    if (!certificate)
        return;
    const CRYPT_INTEGER_BLOB& serial = certificate.Get()->pCertInfo->SerialNumber;
    details.SerialNumber.assign(serial.pbData, serial.pbData + serial.cbData);
    details.IssuerName = GetCertificateName(*library, certificate.Get(), CERT_NAME_ISSUER_FLAG);
    details.SubjectName = GetCertificateName(*library, certificate.Get(), 0);
}

std::wstring LogSignerDetails(const std::wstring& path, SignerDetailsReader read)
{
    SignerDetails details;
    if (!read(path, details)) {
        WriteLog(L"Digital verification: Failed\n");
        return ChooseProgramName(nullptr);
    }
    for (const std::wstring& line : DescribeSignerDetails(details))
        WriteLog(line);
    return ChooseProgramName(&details);
}

void CBrennixInstallerApp::LogSignatureDetails()
{
    m_strProgramName = LogSignerDetails(GetModulePath());
}
