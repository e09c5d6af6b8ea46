#pragma once
// Which .NET Framework versions the machine has, read from the framework's setup keys, and
// the search through the versions in order. The registry is reached through NetRegistry, so
// the rules run against a table of machine states in the tests.
#include "checks/CheckLog.h"
#include "checks/NetFrameworkSettings.h"

#include <cstdint>
#include <string>

// The setup keys, below HKEY_LOCAL_MACHINE.
namespace NetKeys {
constexpr wchar_t kNet20[] = L"Software\\Microsoft\\NET Framework Setup\\NDP\\v2.0.50727";
constexpr wchar_t kNet30[] = L"Software\\Microsoft\\NET Framework Setup\\NDP\\v3.0";
constexpr wchar_t kNet30Setup[] = L"Software\\Microsoft\\NET Framework Setup\\NDP\\v3.0\\Setup";
constexpr wchar_t kNet35[] = L"Software\\Microsoft\\NET Framework Setup\\NDP\\v3.5";
constexpr wchar_t kNet4Client[] = L"Software\\Microsoft\\NET Framework Setup\\NDP\\v4\\Client";
constexpr wchar_t kNet4Full[] = L"Software\\Microsoft\\NET Framework Setup\\NDP\\v4\\Full";
} // namespace NetKeys

// A dotted version such as 3.5.21022.8; missing pieces are 0.
struct NetVersion {
    int32_t major = 0;
    int32_t minor = 0;
    int32_t build = 0;
    int32_t revision = 0;
};

// Splits `text` at "." and parses the first four pieces by the settings' number rule; later
// pieces are ignored, missing ones stay 0.
NetVersion ParseNetVersion(const std::wstring& text);

// True when `version` is `bound` or later, comparing piece by piece from the major number.
bool IsVersionAtLeast(const NetVersion& version, const NetVersion& bound);

// The three registry reads the detection needs. Each opens its key, reads one value and
// closes the key again; nothing is cached.
class NetRegistry {
public:
    virtual ~NetRegistry() = default;
    // True when the value can be read into 4 bytes (preset to 0) and equals 1.
    virtual bool IsRegistryFlagSet(const wchar_t* key, const wchar_t* value) const = 0;
    // The value read into 4 bytes, or -1 when the key or value cannot be read into them.
    virtual int32_t ReadRegistryDword(const wchar_t* key, const wchar_t* value) const = 0;
    // The string value "Version" of `key`, parsed; false (and `version` all 0) when unreadable.
    virtual bool ReadNetVersion(const wchar_t* key, NetVersion& version) const = 0;
};

// The detectors. Those with a level set it to -1 whenever they return false.
bool DetectNet20(const NetRegistry& registry);
bool DetectNet30(const NetRegistry& registry, int32_t& level);
bool DetectNet35(const NetRegistry& registry, int32_t& level);
// True whenever the profile is installed; the level is its "Servicing" value raised to the
// minor version when the version is 4.x with a larger minor number.
bool DetectNet4Client(const NetRegistry& registry, int32_t& level);
bool DetectNet4Full(const NetRegistry& registry, int32_t& level);
bool IsNet472Installed(const NetRegistry& registry);

// Tests the versions from the oldest to the newest and returns true at the first one that is
// installed at the level its setting asks for; a negative setting skips its version. Writes a
// detection line for each version found, but no verdict line.
bool FindAcceptableNetVersion(const NetSettings& settings, const NetRegistry& registry, const CheckLog& log);

// The whole check over the settings as loaded from the string table: the replacement rule,
// the setting lines, the required version (written into `required` before any version is
// tested, and left as it was when every setting is negative), the search, and the verdict
// line. True when an acceptable version is installed.
bool CheckNetFramework(NetSettingTexts texts, const NetRegistry& registry, RequiredNetVersion& required,
                       const CheckLog& log);
