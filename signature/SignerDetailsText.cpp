#include "signature/SignerDetailsText.h"

#include "framework/Format.h"
#include "signature/SerialNumberText.h"

namespace {

const wchar_t* TextOrNull(const std::optional<std::wstring>& text)
{
    return text ? text->c_str() : L"null";
}

} // namespace

std::vector<std::wstring> DescribeSignerDetails(const SignerDetails& details)
{
    const std::wstring serial = FormatSerialNumber(details.SerialNumber.data(), details.SerialNumber.size());
    return {
        FormatString(L"Digital verification: SubjectName '%s'\n", TextOrNull(details.SubjectName)),
        FormatString(L"Digital verification: ProgramName '%s'\n", TextOrNull(details.ProgramName)),
        FormatString(L"Digital verification: MoreInfo    '%s'\n", TextOrNull(details.MoreInfo)),
        FormatString(L"Digital verification: SerialNumber '%s'\n", serial.c_str()),
        FormatString(L"Digital verification: IssuerName '%s'\n", TextOrNull(details.IssuerName)),
    };
}

std::wstring ChooseProgramName(const SignerDetails* details)
{
    if (details != nullptr && details->ProgramName)
        return *details->ProgramName;
    return kDefaultProgramName;
}
