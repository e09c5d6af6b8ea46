// The checks' platform calls under Wine: the registry readers on keys written for the test,
// the file version reader on real files, the drive split against the runtime library's own,
// and the token and folder queries.
#include "checks/AdminCheck.h"
#include "checks/MsiEngineCheck.h"
#include "checks/NetFrameworkRegistry.h"
#include "checks/PathSplit.h"
#include "framework/Handles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// A key of the test's own below HKEY_LOCAL_MACHINE, in the view a 32-bit program reads,
// removed again at the end.
constexpr wchar_t kTestKey[] = L"Software\\BrennixTests\\NetReaders";

class NetRegistryReaders : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, m_key.Receive(),
                                  nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override
    {
        m_key.Reset();
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\BrennixTests");
    }
    void Set(const wchar_t* name, DWORD type, const void* data, DWORD size)
    {
        ASSERT_EQ(RegSetValueExW(m_key.Get(), name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    }
    void SetDword(const wchar_t* name, DWORD value) { Set(name, REG_DWORD, &value, sizeof(value)); }
    void SetText(const wchar_t* name, const std::wstring& text)
    {
        Set(name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }

    RegKey m_key;
    MachineNetRegistry m_registry;
};

TEST_F(NetRegistryReaders, FlagIsAFourByteOne)
{
    SetDword(L"One", 1);
    SetDword(L"Two", 2);
    SetText(L"TextOne", L"1");  // the bytes '1', 0, 0, 0 are not the number 1
    const unsigned long long wide = 1;
    Set(L"Qword", REG_QWORD, &wide, sizeof(wide));  // does not fit 4 bytes
    const unsigned char shortOne = 1;
    Set(L"Byte", REG_BINARY, &shortOne, 1);  // the buffer is preset to 0
    EXPECT_TRUE(m_registry.IsRegistryFlagSet(kTestKey, L"One"));
    EXPECT_FALSE(m_registry.IsRegistryFlagSet(kTestKey, L"Two"));
    EXPECT_FALSE(m_registry.IsRegistryFlagSet(kTestKey, L"TextOne"));
    EXPECT_FALSE(m_registry.IsRegistryFlagSet(kTestKey, L"Qword"));
    EXPECT_TRUE(m_registry.IsRegistryFlagSet(kTestKey, L"Byte"));
    EXPECT_FALSE(m_registry.IsRegistryFlagSet(kTestKey, L"Missing"));
    EXPECT_FALSE(m_registry.IsRegistryFlagSet(L"Software\\BrennixTests\\NoSuchKey", L"One"));
}

TEST_F(NetRegistryReaders, DwordOrMinusOne)
{
    SetDword(L"Seven", 7);
    SetDword(L"Release", 528040);
    const unsigned long long wide = 5;
    Set(L"Qword", REG_QWORD, &wide, sizeof(wide));
    EXPECT_EQ(m_registry.ReadRegistryDword(kTestKey, L"Seven"), 7);
    EXPECT_EQ(m_registry.ReadRegistryDword(kTestKey, L"Release"), 528040);
    EXPECT_EQ(m_registry.ReadRegistryDword(kTestKey, L"Qword"), -1);
    EXPECT_EQ(m_registry.ReadRegistryDword(kTestKey, L"Missing"), -1);
    EXPECT_EQ(m_registry.ReadRegistryDword(L"Software\\BrennixTests\\NoSuchKey", L"Seven"), -1);
}

TEST_F(NetRegistryReaders, VersionTextFitsIn260Bytes)
{
    NetVersion version;
    SetText(L"Version", L"4.8.04084");
    ASSERT_TRUE(m_registry.ReadNetVersion(kTestKey, version));
    EXPECT_EQ(version.major, 4);
    EXPECT_EQ(version.minor, 8);
    EXPECT_EQ(version.build, 4084);
    EXPECT_EQ(version.revision, 0);

    SetText(L"Version", L"3.5.1." + std::wstring(123, L'7'));  // 129 characters and the terminator
    EXPECT_TRUE(m_registry.ReadNetVersion(kTestKey, version));
    EXPECT_EQ(version.minor, 5);

    SetText(L"Version", L"4.7." + std::wstring(126, L'1'));  // 262 bytes with the terminator
    EXPECT_FALSE(m_registry.ReadNetVersion(kTestKey, version));
    EXPECT_EQ(version.major, 0);  // all preset to 0

    RegDeleteValueW(m_key.Get(), L"Version");
    EXPECT_FALSE(m_registry.ReadNetVersion(kTestKey, version));
}

std::wstring ThisProgram()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

// A copy of this program in the temp folder whose fixed version block is changed by `patch`.
std::wstring PatchedCopy(const wchar_t* name, void (*patch)(std::vector<char>& bytes, size_t block))
{
    std::ifstream in(ThisProgram().c_str(), std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const char signature[] = {'\xBD', '\x04', '\xEF', '\xFE'};
    // The last one: the resources come after the code, which holds the constant too.
    const auto found = std::find_end(bytes.begin(), bytes.end(), std::begin(signature), std::end(signature));
    if (found == bytes.end())
        return L"";
    patch(bytes, static_cast<size_t>(found - bytes.begin()));
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + name;
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

void SetFileVersionHigh(std::vector<char>& bytes, size_t block, unsigned major, unsigned minor)
{
    const unsigned high = major << 16 | minor;
    for (size_t b = 0; b < 4; ++b)
        bytes[block + 8 + b] = static_cast<char>(high >> (8 * b));
}

TEST(FileVersion, ReadsTheFixedVersionOfRealFiles)
{
    int32_t major = -7;
    int32_t minor = -7;
    ASSERT_TRUE(ReadFileVersion(ThisProgram(), major, minor));
    EXPECT_EQ(major, 1);
    EXPECT_EQ(minor, 4);
    EXPECT_FALSE(IsMsiEngineUsable(ThisProgram()));

    const std::wstring version20 = PatchedCopy(L"brennix-version-2.0.exe", [](std::vector<char>& bytes, size_t block) {
        SetFileVersionHigh(bytes, block, 2, 0);
    });
    ASSERT_FALSE(version20.empty());
    ASSERT_TRUE(ReadFileVersion(version20, major, minor));
    EXPECT_EQ(major, 2);
    EXPECT_EQ(minor, 0);
    EXPECT_TRUE(IsMsiEngineUsable(version20));
    DeleteFileW(version20.c_str());
}

TEST(FileVersion, NoReadableFixedVersionGivesNone)
{
    const std::wstring badSignature = PatchedCopy(L"brennix-version-bad.exe", [](std::vector<char>& bytes, size_t block) {
        bytes[block] = '\xBC';
        SetFileVersionHigh(bytes, block, 5, 0);
    });
    ASSERT_FALSE(badSignature.empty());
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring plain = std::wstring(folder) + L"brennix-version-none.txt";
    std::ofstream(plain.c_str()) << "no version information here";
    const std::wstring missing = std::wstring(folder) + L"brennix-no-such-library.dll";

    for (const std::wstring& path : {badSignature, plain, missing}) {
        int32_t major = -7;
        int32_t minor = -7;
        EXPECT_FALSE(ReadFileVersion(path, major, minor)) << testing::PrintToString(path);
        EXPECT_EQ(major, -7);  // left as they were
        EXPECT_EQ(minor, -7);
        EXPECT_FALSE(IsMsiEngineUsable(path)) << testing::PrintToString(path);
    }
    DeleteFileW(badSignature.c_str());
    DeleteFileW(plain.c_str());
}

TEST(MsiEngine, SystemFolderAndWinesOwnEngine)
{
    std::wstring folder = L"untouched";
    ASSERT_TRUE(GetSystemFolder(folder));
    wchar_t expected[MAX_PATH] = {};
    GetSystemDirectoryW(expected, MAX_PATH);
    EXPECT_EQ(_wcsicmp(folder.c_str(), (std::wstring(expected) + L"\\").c_str()), 0) << testing::PrintToString(folder);

    int32_t major = 0;
    int32_t minor = 0;
    ASSERT_TRUE(ReadFileVersion(folder + L"MSI.DLL", major, minor));
    EXPECT_GE(major, 2);
    EXPECT_TRUE(CheckMsiEngine());
}

TEST(Administrator, WinesUserIsAMember)
{
    // Wine's user is always a full administrator; the non-member answer is shown end to end
    // with a restricted token.
    EXPECT_TRUE(IsUserAdmin());
}

TEST(PathSplit, AgreesWithTheRuntimeLibrary)
{
    const std::wstring paths[] = {
        L"C:\\users\\root\\Temp\\",
        L"C:\\users\\root\\Temp",
        L"D:",
        L"D:work.dir\\x.y.z",
        L"c:/a/b.c/d.tar.gz",
        L"\\\\server\\share\\temp\\",
        L"relative",
        L"",
        L":x",
        L"C:\\.hidden",
        L"C:\\name.",
        L"C:\\" + std::wstring(252, L'd') + L"\\",  // directory part of 255
        L"C:\\" + std::wstring(253, L'd') + L"\\",  // 256: does not fit
        L"C:\\" + std::wstring(255, L'f'),
        L"C:\\" + std::wstring(256, L'f'),
        L"C:\\f." + std::wstring(254, L'e'),
        L"C:\\f." + std::wstring(255, L'e'),
    };
    const PathPartRoom room = {3, 256, 256, 256};
    for (const std::wstring& path : paths) {
        wchar_t drive[3], directory[256], fileName[256], extension[256];
        const bool platformFits = _wsplitpath_s(path.c_str(), drive, 3, directory, 256, fileName, 256, extension, 256) == 0;
        PathParts parts;
        const bool fits = SplitPath(path, room, parts);
        EXPECT_EQ(fits, platformFits) << path.size() << " characters";
        if (fits && platformFits) {
            EXPECT_EQ(parts.drive, drive);
            EXPECT_EQ(parts.directory, directory);
            EXPECT_EQ(parts.fileName, fileName);
            EXPECT_EQ(parts.extension, extension);
        }
    }
}

} // namespace
