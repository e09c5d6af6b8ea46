#pragma once
// The nine build-time settings that say which .NET Framework versions the payload accepts,
// and from which level on; and the version the stub asks for when none is found.
#include "checks/CheckLog.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// The versions, in the order they are tested (oldest first).
enum NetVersionIndex : size_t {
    kNet20,
    kNet30,
    kNet35,
    kNet40Client,
    kNet40Full,
    kNet45Client,
    kNet45Full,
    kNet46Full,
    kNet472Full,
    kNetVersionCount
};

// One setting: its string-table entry, its log line, and what is recorded for the messages
// when it is the lowest acceptable version.
struct NetSettingRow {
    unsigned entry;
    const wchar_t* settingLine;  // takes the entry's text
    const wchar_t* name;
    int32_t major;
    int32_t minor;
    int32_t build;
};

extern const std::array<NetSettingRow, kNetVersionCount> kNetSettingRows;

// The settings as loaded (a missing entry is empty), and as parsed numbers; both in row order.
using NetSettingTexts = std::array<std::wstring, kNetVersionCount>;
using NetSettings = std::array<int32_t, kNetVersionCount>;

// A request for .NET 2.0 or 3.0 at any level (text exactly "0") is one for 3.5 at any level:
// entries 138 and 139 become "-1" and 140 becomes "0". Any other text leaves all as loaded.
void ApplyReplacementRule(NetSettingTexts& texts);

// Writes the nine setting lines in row order, each with its entry's current text.
void LogNetSettings(const NetSettingTexts& texts, const CheckLog& log);

// Each text by the settings' number rule.
NetSettings ParseNetSettings(const NetSettingTexts& texts);

// The version named in the failure message and its download page.
struct RequiredNetVersion {
    std::wstring name;
    int32_t sp;
    int32_t major;
    int32_t minor;
    int32_t build;
};

// Fills `required` from the first row whose setting is 0 or more (its name, version, and
// the setting as level) and returns true; with every setting negative returns false and
// leaves `required` as it was.
bool SelectRequiredNetVersion(const NetSettings& settings, RequiredNetVersion& required);
