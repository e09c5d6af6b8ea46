#pragma once
// The signer's details read from a file's embedded signature (SignerDetails.h reads them), and
// the words the log shows for them.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Every text is absent until read; the record owns its copies.
struct SignerDetails {
    std::optional<std::wstring> ProgramName;    // program name of the opus-info attribute
    std::optional<std::wstring> PublisherLink;  // its publisher link, when a URL or file link
    std::optional<std::wstring> MoreInfo;       // its more-info link, when a URL or file link
    std::vector<uint8_t> SerialNumber;          // signer certificate's serial number, least significant byte first
    std::optional<std::wstring> IssuerName;     // simple display name of the certificate's issuer
    std::optional<std::wstring> SubjectName;    // simple display name of the certificate's subject
};

// The program name used when the signature names none.
constexpr wchar_t kDefaultProgramName[] = L"Corvane Installer";

// Returns the log lines for `details`, in order, each ending in a newline; an absent text is
// shown as null. The publisher link is not shown.
std::vector<std::wstring> DescribeSignerDetails(const SignerDetails& details);

// The program name the run carries on: the signed one when present, else the default.
std::wstring ChooseProgramName(const SignerDetails* details);
