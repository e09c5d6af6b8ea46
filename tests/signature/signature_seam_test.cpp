// The signature check as the run makes it, with the trust provider and the signature reader
// replaced by stand-ins: verdicts that Wine never gives (explicit distrust, not trusted, admin
// policy, a broken chain, an unknown status, no signature with an unexpected last error),
// signer records with every kind of program name, and opus-info links of every kind (signing
// tools write only URL links; file and moniker links come from other signers). On Windows these verdicts come from
// WinVerifyTrust for files whose publisher is distrusted, whose root is not trusted, or whose
// trust is decided by policy; the run treats them exactly as here.
#include "app/BrennixInstallerApp.h"
#include "app/Log.h"
#include "signature/SignerDetails.h"
#include "signature/VerifyFileSignature.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <wincrypt.h>
#include <wintrust.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

TrustVerdict s_verdict = {0, 0};
std::wstring s_askedPath;

TrustVerdict FakeTrustProvider(const std::wstring& path)
{
    s_askedPath = path;
    return s_verdict;
}

// Collects what the code under test logs, from a log file of its own.
class LogCapture {
public:
    LogCapture()
    {
        char folder[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, folder);
        m_path = std::string(folder) + "brennix-signature-seam.log";
        DeleteFileA(m_path.c_str());
        OpenLogFile(m_path);
    }
    // The text logged so far, with the file's CR LF read back as LF.
    std::string Text()
    {
        CloseLogFile();
        std::ifstream in(m_path, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string lines;
        for (size_t i = 0; i < text.size(); ++i)
            if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
                lines += text[i];
        return lines;
    }

private:
    std::string m_path;
};

struct VerdictCase {
    uint32_t status;
    uint32_t lastError;
    std::string text;  // with "PATH" for the file's path
};

class UnproducibleVerdicts : public ::testing::TestWithParam<VerdictCase> {};

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

std::string WithPath(std::string text, const std::wstring& path)
{
    const size_t at = text.find("PATH");
    if (at != std::string::npos)
        text.replace(at, 4, Narrow(path));
    return text;
}

TEST_P(UnproducibleVerdicts, ReturnTheStatusWithItsTextAndLogIt)
{
    const VerdictCase& c = GetParam();
    s_verdict = {static_cast<ResultCode>(c.status), c.lastError};
    const std::wstring path = L"C:\\Some Folder\\Setup.exe";
    LogCapture log;
    std::wstring description;
    EXPECT_EQ(static_cast<uint32_t>(VerifyFileSignature(path, description, FakeTrustProvider)), c.status);
    EXPECT_EQ(s_askedPath, path);
    const std::string expected = WithPath(c.text, path);
    EXPECT_EQ(Narrow(description), expected);
    EXPECT_EQ(log.Text(), "Digital verification: '" + expected + "'\n");
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, UnproducibleVerdicts,
    ::testing::Values(
        VerdictCase{0x800B0111, 0x800B0111, "The signature is present, but specifically disallowed.\n"},
        VerdictCase{0x800B0004, 0x800B0004, "The signature is present, but not trusted.\n"},
        VerdictCase{0x80092026, 0x80092026,
                    "The subject or the publisher wasn't explicitly trusted by the admin and admin policy has "
                    "disabled user trust. No signature, publisher or timestamp errors.\n"},
        VerdictCase{0x800B010A, 0x800B010A, "The certificate in the signature cannot be verified.\n"},
        VerdictCase{0x800B0003, 0x800B0003, "Error is: 0x800b0003.\n"},
        VerdictCase{0x12345678, 0, "Error is: 0x12345678.\n"},
        // The two other last errors that still mean "not signed", and one that does not.
        VerdictCase{0x800B0100, 0x800B0003, "The file \"PATH\" is not signed. Error 0x800b0003\n"},
        VerdictCase{0x800B0100, 0x800B0001, "The file \"PATH\" is not signed. Error 0x800b0001\n"},
        VerdictCase{0x800B0100, 0x00000005,
                    "An unknown error occurred trying to verify the signature of the \"PATH\" file. Error 0x5\n"}));

// The silent run's decision on a failed check. An interactive run asks about every failure.
struct SilentCase {
    const char* name;
    uint32_t status;
    bool runInstaller;
    ResultCode expectedResult;
    std::string expectedLog;  // after the verification line
};

class SilentDecision : public ::testing::TestWithParam<SilentCase> {};

TEST_P(SilentDecision, LetsOnlyChainingAndExtractOnlyThrough)
{
    const SilentCase& c = GetParam();
    CBrennixInstallerApp app;
    app.m_bSilent = true;
    app.m_bRunInstaller = c.runInstaller;
    s_verdict = {static_cast<ResultCode>(c.status), c.status};
    LogCapture log;
    EXPECT_EQ(app.VerifyOwnSignature(FakeTrustProvider), c.expectedResult);
    EXPECT_EQ(s_askedPath, GetModulePath());
    const std::string text = log.Text();
    const size_t verification = text.find("'\n");
    ASSERT_NE(verification, std::string::npos) << text;
    EXPECT_EQ(text.substr(verification + 2), c.expectedLog);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SilentDecision,
    ::testing::Values(
        SilentCase{"Verified", 0, true, 0, ""},
        SilentCase{"ChainingIgnored", 0x800B010A, true, 0,
                   "Certificate error 800b010a\nIgnore chaining error....\n"},
        SilentCase{"ChainingIgnoredExtractOnly", 0x800B010A, false, 0,
                   "Certificate error 800b010a\nIgnore chaining error....\n"},
        SilentCase{"DistrustFails", 0x800B0111, true, static_cast<ResultCode>(0x800B0100),
                   "Certificate error 800b0111\nNot signed correctly so failing now!\n"},
        SilentCase{"NotTrustedFails", 0x800B0004, true, static_cast<ResultCode>(0x800B0100),
                   "Certificate error 800b0004\nNot signed correctly so failing now!\n"},
        SilentCase{"UnknownStatusExtractsAnyway", 0x12345678, false, 0,
                   "Certificate error 12345678\nNot running so extract anyway\n"},
        SilentCase{"DistrustExtractsAnyway", 0x800B0111, false, 0,
                   "Certificate error 800b0111\nNot running so extract anyway\n"}),
    [](const ::testing::TestParamInfo<SilentCase>& info) { return std::string(info.param.name); });

SignerDetails s_details;
bool s_readable = true;

bool FakeReader(const std::wstring&, SignerDetails& details)
{
    details = s_details;
    return s_readable;
}

TEST(SignerDetailsSeam, SignedProgramNameIsCarriedOnWhole)
{
    // The ASCII form of the name, which Wine garbles, decodes to this text on Windows.
    s_readable = true;
    s_details = SignerDetails{};
    s_details.ProgramName = L"Brennix Setup for \"Stadtwerke\" 2026 \u00e9dition";
    s_details.SubjectName = L"Signer";
    s_details.IssuerName = L"Issuer CA";
    s_details.MoreInfo = L"file://server/share/info.html";
    s_details.SerialNumber = {0x01, 0xFF};
    LogCapture log;
    EXPECT_EQ(LogSignerDetails(L"C:\\Setup.exe", FakeReader), *s_details.ProgramName);
    EXPECT_EQ(log.Text(), "Digital verification: SubjectName 'Signer'\n"
                          "Digital verification: ProgramName 'Brennix Setup for \"Stadtwerke\" 2026 \xe9" "dition'\n"
                          "Digital verification: MoreInfo    'file://server/share/info.html'\n"
                          "Digital verification: SerialNumber 'FF01'\n"
                          "Digital verification: IssuerName 'Issuer CA'\n");
}

TEST(SignerDetailsSeam, UnreadableSignatureKeepsTheDefaultName)
{
    s_readable = false;
    s_details = SignerDetails{};
    s_details.ProgramName = L"never used";
    LogCapture log;
    EXPECT_EQ(LogSignerDetails(L"C:\\Setup.exe", FakeReader), L"Corvane Installer");
    EXPECT_EQ(log.Text(), "Digital verification: Failed\n");
}

TEST(SignerDetailsSeam, SignatureWithoutNameKeepsTheDefaultName)
{
    s_readable = true;
    s_details = SignerDetails{};
    LogCapture log;
    EXPECT_EQ(LogSignerDetails(L"C:\\Setup.exe", FakeReader), L"Corvane Installer");
    EXPECT_NE(log.Text().find("Digital verification: ProgramName 'null'\n"), std::string::npos);
}

// The real reader on a file without a signature: its first and last lines, and false.
TEST(SignerDetailsReal, UnsignedFileReadsNothing)
{
    LogCapture log;
    SignerDetails details;
    EXPECT_FALSE(GetAuthenticodeInformation(GetModulePath(), details));
    EXPECT_FALSE(details.ProgramName);
    EXPECT_TRUE(details.SerialNumber.empty());
    EXPECT_EQ(log.Text(), "GetAuthenticodeInformation \nGetAuthenticodeInformation Fininshed\n");
}

// The real trust provider on the unsigned test program itself.
TEST(TrustProviderReal, UnsignedFileIsNotSigned)
{
    const TrustVerdict verdict = AskTrustProvider(GetModulePath());
    EXPECT_EQ(static_cast<uint32_t>(verdict.status), 0x800B0100u);
    EXPECT_EQ(verdict.lastError, 0x800B0100u);
}

// An opus-info link of each kind, as the signer's attribute carries it.
struct LinkCase {
    const char* name;
    DWORD choice;
    bool copied;  // into the record
};

SPC_LINK MakeLink(DWORD choice, wchar_t* text, BYTE* serialized, DWORD serializedSize)
{
    SPC_LINK link = {};
    link.dwLinkChoice = choice;
    if (choice == SPC_URL_LINK_CHOICE)
        link.pwszUrl = text;
    else if (choice == SPC_FILE_LINK_CHOICE)
        link.pwszFile = text;
    else
        link.Moniker.SerializedData = {serializedSize, serialized};
    return link;
}

// The opus-info attribute encoded by the platform, so that the stub's own decoding reads it back.
std::vector<BYTE> EncodeOpusInfo(const SPC_SP_OPUS_INFO& info)
{
    DWORD size = 0;
    if (!CryptEncodeObject(X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, SPC_SP_OPUS_INFO_OBJID, &info, nullptr, &size))
        return {};
    std::vector<BYTE> encoded(size);
    if (!CryptEncodeObject(X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, SPC_SP_OPUS_INFO_OBJID, &info, encoded.data(),
                           &size))
        return {};
    encoded.resize(size);
    return encoded;
}

class OpusInfoLinks : public ::testing::TestWithParam<LinkCase> {};

TEST_P(OpusInfoLinks, UrlAndFileLinksAreCopiedAMonikerIsNot)
{
    const LinkCase& c = GetParam();
    wchar_t publisherText[] = L"https://publisher.example/brennix";
    wchar_t moreInfoText[] = L"\\\\server\\share\\more-info.html";
    BYTE serialized[] = {0x30, 0x03, 0x02, 0x01, 0x07};
    SPC_LINK publisher = MakeLink(c.choice, publisherText, serialized, sizeof(serialized));
    SPC_LINK moreInfo = MakeLink(c.choice, moreInfoText, serialized, sizeof(serialized));
    SPC_SP_OPUS_INFO info = {};
    wchar_t programName[] = L"Linked Program";
    info.pwszProgramName = programName;
    info.pPublisherInfo = &publisher;
    info.pMoreInfo = &moreInfo;
    std::vector<BYTE> encoded = EncodeOpusInfo(info);
    ASSERT_FALSE(encoded.empty()) << "the platform cannot encode this link, error " << GetLastError();

    CRYPT_ATTR_BLOB value = {static_cast<DWORD>(encoded.size()), encoded.data()};
    char objectId[] = SPC_SP_OPUS_INFO_OBJID;
    CRYPT_ATTRIBUTE attribute = {objectId, 1, &value};
    CMSG_SIGNER_INFO signer = {};
    signer.AuthAttrs = {1, &attribute};

    SignerDetails details;
    LogCapture log;
    GetProgAndPublisherInfo(signer, details);
    EXPECT_EQ(details.ProgramName, std::optional<std::wstring>(L"Linked Program"));
    using Text = std::optional<std::wstring>;
    EXPECT_EQ(details.PublisherLink, c.copied ? Text(publisherText) : std::nullopt);
    EXPECT_EQ(details.MoreInfo, c.copied ? Text(moreInfoText) : std::nullopt);
    const std::string choice = std::to_string(c.choice);
    EXPECT_EQ(log.Text(), "GetProgAndPublisherInfo switch 1 " + choice + "\nGetProgAndPublisherInfo switch MoreInfo " +
                              choice + "\n");
}

INSTANTIATE_TEST_SUITE_P(Kinds, OpusInfoLinks,
                         ::testing::Values(LinkCase{"Url", SPC_URL_LINK_CHOICE, true},
                                           LinkCase{"File", SPC_FILE_LINK_CHOICE, true},
                                           LinkCase{"Moniker", SPC_MONIKER_LINK_CHOICE, false}),
                         [](const ::testing::TestParamInfo<LinkCase>& info) { return std::string(info.param.name); });

} // namespace
