#include "checks/NetFrameworkSettings.h"

#include "framework/DecimalNumber.h"
#include "framework/Format.h"

const std::array<NetSettingRow, kNetVersionCount> kNetSettingRows = {{
    {138, L".NET 2.0 %s\n", L".NET 2", 2, 0, 0},
    {139, L".NET 3.0 %s\n", L".NET 3.0", 3, 0, 0},
    {140, L".NET 3.5 %s\n", L".NET 3.5", 3, 5, 0},
    {141, L".NET 4.0 Client %s\n", L".NET (client) 4.0", 4, 0, 0},
    {142, L".NET 4.0 Full %s\n", L".NET (full) 4.0", 4, 0, 0},
    {143, L".NET 4.5 Client %s\n", L".NET (client) 4.5", 4, 5, 0},
    {144, L".NET 4.5 Full %s\n", L".NET (full) 4.5", 4, 5, 0},
    {147, L".NET 4.6 Full %s\n", L".NET (full) 4.6", 4, 6, 0},
    {148, L".NET 4.7.2 Full %s\n", L".NET (full) 4.7.2", 4, 7, 2},
}};

void ApplyReplacementRule(NetSettingTexts& texts)
{
    // A plain text comparison: "00" or " 0" are not the request this rule is about.
    if (texts[kNet20] == L"0" || texts[kNet30] == L"0") {
        texts[kNet20] = L"-1";
        texts[kNet30] = L"-1";
        texts[kNet35] = L"0";
    }
}

void LogNetSettings(const NetSettingTexts& texts, const CheckLog& log)
{
    for (size_t i = 0; i < kNetVersionCount; ++i)
        log(FormatString(kNetSettingRows[i].settingLine, texts[i].c_str()));
}

NetSettings ParseNetSettings(const NetSettingTexts& texts)
{
    NetSettings settings{};
    for (size_t i = 0; i < kNetVersionCount; ++i)
        settings[i] = ParseDecimalNumber(texts[i]);
    return settings;
}

bool SelectRequiredNetVersion(const NetSettings& settings, RequiredNetVersion& required)
{
    for (size_t i = 0; i < kNetVersionCount; ++i) {
        if (settings[i] < 0)
            continue;
        const NetSettingRow& row = kNetSettingRows[i];
        required = {row.name, settings[i], row.major, row.minor, row.build};
        return true;
    }
    return false;
}
