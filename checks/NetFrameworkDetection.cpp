#include "checks/NetFrameworkDetection.h"

#include "framework/DecimalNumber.h"
#include "framework/Format.h"

#include <tuple>

namespace {

constexpr NetVersion kNet30Bound = {3, 0, 4506, 26};
constexpr NetVersion kNet35Bound = {3, 5, 21022, 8};
constexpr int32_t kNet472Release = 461808;
constexpr int32_t kNoLevel = -1;
constexpr int32_t kAnyLevel = INT32_MIN;

// 3.0 and 3.5 are installed over 2.0 and carry a version of their own.
bool DetectNet3x(const NetRegistry& registry, const wchar_t* setupKey, const wchar_t* installValue,
                 const NetVersion& bound, const wchar_t* levelKey, int32_t& level)
{
    level = kNoLevel;
    if (!DetectNet20(registry) || !registry.IsRegistryFlagSet(setupKey, installValue))
        return false;
    NetVersion version;
    registry.ReadNetVersion(setupKey, version);  // unreadable: 0.0.0.0, below every bound
    if (!IsVersionAtLeast(version, bound))
        return false;
    level = registry.ReadRegistryDword(levelKey, L"SP");
    return true;
}

bool DetectNet4(const NetRegistry& registry, const wchar_t* key, int32_t& level)
{
    level = kNoLevel;
    if (!registry.IsRegistryFlagSet(key, L"Install"))
        return false;
    level = registry.ReadRegistryDword(key, L"Servicing");
    // 4.5 and later replace 4.0 in place: their minor number is the level that counts.
    NetVersion version;
    if (registry.ReadNetVersion(key, version) && version.major == 4 && version.minor > level)
        level = version.minor;
    return true;
}

// The 2.0 step takes its level from the same key as its detection.
bool DetectNet20WithLevel(const NetRegistry& registry, int32_t& level)
{
    level = kNoLevel;
    if (!DetectNet20(registry))
        return false;
    level = registry.ReadRegistryDword(NetKeys::kNet20, L"SP");
    return true;
}

bool DetectNet472(const NetRegistry& registry, int32_t& level)
{
    level = kNoLevel;
    return IsNet472Installed(registry);
}

// One step of the search, in the order of the table below.
struct NetStep {
    NetVersionIndex setting;
    bool (*detect)(const NetRegistry&, int32_t& level);
    int32_t minimumLevel;      // a lower level fails the step without a line
    const wchar_t* foundLine;  // takes the level
    bool comparesLevel;        // false: a non-negative setting only switches the step on
};

const NetStep kNetSteps[] = {
    {kNet20, DetectNet20WithLevel, kAnyLevel, L".NET 2.0 Detected SP %ld\n", true},
    {kNet30, DetectNet30, kAnyLevel, L".NET 3.0 Detected SP %ld\n", true},
    {kNet35, DetectNet35, kAnyLevel, L".NET 3.5 Detected SP %ld\n", true},
    {kNet40Client, DetectNet4Client, kAnyLevel, L".NET 4.0 Client Detected SP %ld\n", true},
    {kNet40Full, DetectNet4Full, kAnyLevel, L".NET 4.0 Full Detected SP %ld\n", true},
    {kNet45Client, DetectNet4Client, 5, L".NET 4.5 Client Detected SP %ld\n", true},
    {kNet45Full, DetectNet4Full, 5, L".NET 4.5 Full Detected SP %ld\n", true},
    {kNet46Full, DetectNet4Full, 6, L".NET 4.6 Full Detected SP %ld\n", true},
    {kNet472Full, DetectNet472, kAnyLevel, L".NET 4.7.2 Full Detected\n", false},
};

} // namespace

NetVersion ParseNetVersion(const std::wstring& text)
{
    NetVersion version;
    int32_t* const fields[] = {&version.major, &version.minor, &version.build, &version.revision};
    size_t start = 0;
    for (int32_t* field : fields) {
        const size_t dot = text.find(L'.', start);
        *field = ParseDecimalNumber(text.substr(start, dot == std::wstring::npos ? std::wstring::npos : dot - start));
        if (dot == std::wstring::npos)
            break;
        start = dot + 1;
    }
    return version;
}

bool IsVersionAtLeast(const NetVersion& version, const NetVersion& bound)
{
    return std::tie(version.major, version.minor, version.build, version.revision) >=
           std::tie(bound.major, bound.minor, bound.build, bound.revision);
}

bool DetectNet20(const NetRegistry& registry)
{
    return registry.IsRegistryFlagSet(NetKeys::kNet20, L"Install");
}

bool DetectNet30(const NetRegistry& registry, int32_t& level)
{
    return DetectNet3x(registry, NetKeys::kNet30Setup, L"InstallSuccess", kNet30Bound, NetKeys::kNet30, level);
}

bool DetectNet35(const NetRegistry& registry, int32_t& level)
{
    return DetectNet3x(registry, NetKeys::kNet35, L"Install", kNet35Bound, NetKeys::kNet35, level);
}

bool DetectNet4Client(const NetRegistry& registry, int32_t& level)
{
    return DetectNet4(registry, NetKeys::kNet4Client, level);
}

bool DetectNet4Full(const NetRegistry& registry, int32_t& level)
{
    return DetectNet4(registry, NetKeys::kNet4Full, level);
}

bool IsNet472Installed(const NetRegistry& registry)
{
    // An unreadable release reads as -1, below the bound, as a missing one should.
    return registry.IsRegistryFlagSet(NetKeys::kNet4Full, L"Install") &&
           registry.ReadRegistryDword(NetKeys::kNet4Full, L"Release") >= kNet472Release;
}

bool FindAcceptableNetVersion(const NetSettings& settings, const NetRegistry& registry, const CheckLog& log)
{
    for (const NetStep& step : kNetSteps) {
        const int32_t setting = settings[step.setting];
        if (setting < 0)
            continue;
        int32_t level = kNoLevel;
        if (!step.detect(registry, level) || level < step.minimumLevel)
            continue;
        log(FormatString(step.foundLine, level));
        if (!step.comparesLevel || setting <= level)
            return true;
    }
    return false;
}

bool CheckNetFramework(NetSettingTexts texts, const NetRegistry& registry, RequiredNetVersion& required,
                       const CheckLog& log)
{
    ApplyReplacementRule(texts);
    LogNetSettings(texts, log);
    const NetSettings settings = ParseNetSettings(texts);
    SelectRequiredNetVersion(settings, required);
    if (FindAcceptableNetVersion(settings, registry, log)) {
        log(L".NET Version OK\n");
        return true;
    }
    log(FormatString(L".NET Version Not OK %s %ld\n", required.name.c_str(), required.sp));
    return false;
}
