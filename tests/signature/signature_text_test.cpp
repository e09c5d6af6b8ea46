// The words the log and the question dialog show for a trust verdict and for the signer's details.
#include "signature/SerialNumberText.h"
#include "signature/SignatureStatusText.h"
#include "signature/SignerDetailsText.h"

#include <gtest/gtest.h>

namespace {

const std::wstring kPath = L"C:\\Downloads\\Setup.exe";

struct StatusCase {
    uint32_t status;
    uint32_t lastError;
    const wchar_t* expected;
};

class StatusTexts : public ::testing::TestWithParam<StatusCase> {};

TEST_P(StatusTexts, EachStatusHasItsText)
{
    const StatusCase& c = GetParam();
    EXPECT_EQ(DescribeTrustStatus(static_cast<ResultCode>(c.status), c.lastError, kPath), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StatusTexts,
    ::testing::Values(
        StatusCase{0, 0, L"The file \"C:\\Downloads\\Setup.exe\" is signed and the signature was verified.\n"},
        // No signature: the last error, not the status, decides and is shown.
        StatusCase{0x800B0100, 0x800B0100, L"The file \"C:\\Downloads\\Setup.exe\" is not signed. Error 0x800b0100\n"},
        StatusCase{0x800B0100, 0x800B0003, L"The file \"C:\\Downloads\\Setup.exe\" is not signed. Error 0x800b0003\n"},
        StatusCase{0x800B0100, 0x800B0001, L"The file \"C:\\Downloads\\Setup.exe\" is not signed. Error 0x800b0001\n"},
        StatusCase{0x800B0100, 0x80070005,
                   L"An unknown error occurred trying to verify the signature of the \"C:\\Downloads\\Setup.exe\" "
                   L"file. Error 0x80070005\n"},
        StatusCase{0x800B0100, 0,
                   L"An unknown error occurred trying to verify the signature of the \"C:\\Downloads\\Setup.exe\" "
                   L"file. Error 0x0\n"},
        StatusCase{0x800B0111, 0, L"The signature is present, but specifically disallowed.\n"},
        StatusCase{0x800B0004, 0, L"The signature is present, but not trusted.\n"},
        StatusCase{0x80092026, 0,
                   L"The subject or the publisher wasn't explicitly trusted by the admin and admin policy has "
                   L"disabled user trust. No signature, publisher or timestamp errors.\n"},
        StatusCase{0x800B010A, 0, L"The certificate in the signature cannot be verified.\n"},
        // Anything else, an expired certificate or an altered file among them.
        StatusCase{0x800B0101, 0x800B0101, L"Error is: 0x800b0101.\n"},
        StatusCase{0x80096010, 0, L"Error is: 0x80096010.\n"},
        StatusCase{0x800B0109, 0, L"Error is: 0x800b0109.\n"},
        StatusCase{0x00000001, 0, L"Error is: 0x1.\n"}));

TEST(SerialNumberText, MostSignificantByteFirstInUpperCase)
{
    // Held least significant first, as the certificate record holds it.
    const uint8_t serial[] = {0x0F, 0xA0, 0x00, 0x7B, 0x01};
    EXPECT_EQ(FormatSerialNumber(serial, sizeof(serial)), L"017B00A00F");
    const uint8_t one[] = {0x00};
    EXPECT_EQ(FormatSerialNumber(one, 1), L"00");
    EXPECT_EQ(FormatSerialNumber(nullptr, 0), L"");
}

TEST(SignerDetailsText, LinesInOrderWithNullForAbsentTexts)
{
    SignerDetails details;
    details.SubjectName = L"Brennix Test Signer";
    details.MoreInfo = L"https://example.test/more";
    details.PublisherLink = L"https://example.test/publisher";
    details.SerialNumber = {0x34, 0x12};
    const std::vector<std::wstring> expected = {
        L"Digital verification: SubjectName 'Brennix Test Signer'\n",
        L"Digital verification: ProgramName 'null'\n",
        L"Digital verification: MoreInfo    'https://example.test/more'\n",
        L"Digital verification: SerialNumber '1234'\n",
        L"Digital verification: IssuerName 'null'\n",
    };
    EXPECT_EQ(DescribeSignerDetails(details), expected);
}

TEST(SignerDetailsText, EmptyRecordShowsNullEverywhere)
{
    const std::vector<std::wstring> lines = DescribeSignerDetails(SignerDetails{});
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], L"Digital verification: SubjectName 'null'\n");
    EXPECT_EQ(lines[3], L"Digital verification: SerialNumber ''\n");
}

TEST(SignerDetailsText, ProgramNameIsTheSignedOneWhole)
{
    EXPECT_EQ(ChooseProgramName(nullptr), L"Corvane Installer");
    SignerDetails unnamed;
    EXPECT_EQ(ChooseProgramName(&unnamed), L"Corvane Installer");
    SignerDetails named;
    named.ProgramName = L"Stadtwerke Installationsprogramm für Windows, Ausgabe 2026 \u00e9\u4e2d";
    EXPECT_EQ(ChooseProgramName(&named), *named.ProgramName);
    SignerDetails emptyName;
    emptyName.ProgramName = L"";
    EXPECT_EQ(ChooseProgramName(&emptyName), L"");
}

} // namespace
