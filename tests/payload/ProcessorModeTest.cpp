// The processor-mode guard's real WOW64 calls. This test program has no string table, so its
// program type reads as "any": on 64-bit Windows the guard switches redirection off, which
// shows as system32 holding the 64-bit system files, and the restore switches it back on. The
// same program runs in Wine's 32-bit prefix, where nothing changes.
#include "checks/ProcessorMode.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

// The machine field of the PE header of system32's kernel32.dll as this thread sees it.
WORD System32KernelMachine()
{
    wchar_t folder[MAX_PATH] = {};
    GetWindowsDirectoryW(folder, MAX_PATH);
    const std::wstring path = std::wstring(folder) + L"\\system32\\kernel32.dll";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    BYTE header[4096] = {};
    DWORD read = 0;
    ReadFile(file, header, sizeof(header), &read, nullptr);
    CloseHandle(file);
    const LONG peOffset = *reinterpret_cast<LONG*>(header + 0x3C);
    if (peOffset <= 0 || peOffset + 6 > static_cast<LONG>(read))
        return 0;
    return *reinterpret_cast<WORD*>(header + peOffset + 4);
}

bool In64BitPrefix()
{
    const char* arch = getenv("WINEARCH");
    return arch != nullptr && std::string(arch) == "win64";
}

TEST(ProcessorMode, SwitchesRedirectionOnlyOn64BitWindowsAndRestoresIt)
{
    const bool wow64 = In64BitPrefix();
    EXPECT_EQ(IsWow64(), wow64);
    EXPECT_EQ(GetProgramType(), ptAny);
    ASSERT_EQ(System32KernelMachine(), IMAGE_FILE_MACHINE_I386) << "redirected to the 32-bit files before the guard";
    {
        CProcessorMode guard;
        ASSERT_TRUE(guard.SetProcessorMode());
        EXPECT_EQ(guard.m_bRedirectionDisabled, wow64);
        EXPECT_EQ(System32KernelMachine(), wow64 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386);
        guard.Restore();
        EXPECT_FALSE(guard.m_bRedirectionDisabled);
        EXPECT_EQ(System32KernelMachine(), IMAGE_FILE_MACHINE_I386);
    }
    {
        CProcessorMode guard;  // left without an explicit restore: the destructor does it
        ASSERT_TRUE(guard.SetProcessorMode());
        EXPECT_EQ(System32KernelMachine(), wow64 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386);
    }
    EXPECT_EQ(System32KernelMachine(), IMAGE_FILE_MACHINE_I386);
}

} // namespace
