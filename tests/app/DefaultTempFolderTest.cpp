// The default temp folder: the first candidate with at most 100 characters.
#include "app/DefaultTempFolder.h"

#include <gtest/gtest.h>

namespace {

std::optional<std::wstring> OfLength(size_t length)
{
    return std::wstring(length, L'x');
}

struct Case {
    const char* what;
    DefaultTempCandidates candidates;
    DefaultTempSource expected;
};

const Case kCases[] = {
    {"a temp path of 100 characters is taken", {OfLength(100), OfLength(10), OfLength(10)}, DefaultTempSource::TempPath},
    {"one of 101 is not", {OfLength(101), OfLength(100), OfLength(10)}, DefaultTempSource::AppData},
    {"a failed temp path query moves on", {std::nullopt, OfLength(20), OfLength(10)}, DefaultTempSource::AppData},
    {"application data of 101 moves on", {OfLength(101), OfLength(101), OfLength(89)},
     DefaultTempSource::CommonAppDataWithCompanyFolder},
    {"a common folder of 89 gets the company folder", {std::nullopt, std::nullopt, OfLength(89)},
     DefaultTempSource::CommonAppDataWithCompanyFolder},
    {"one of 90 does not", {std::nullopt, std::nullopt, OfLength(90)}, DefaultTempSource::CommonAppData},
    {"one of 100 is taken as it is", {OfLength(200), OfLength(200), OfLength(100)}, DefaultTempSource::CommonAppData},
    {"one of 101 leaves the system drive", {OfLength(200), OfLength(200), OfLength(101)}, DefaultTempSource::SystemDrive},
    {"nothing answered", {std::nullopt, std::nullopt, std::nullopt}, DefaultTempSource::SystemDrive},
};

TEST(DefaultTempFolder, FirstCandidateWithinTheLimits)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ChooseDefaultTempFolder(c.candidates), c.expected);
    }
}

} // namespace
