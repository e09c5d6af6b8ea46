// RunProgram with the test payload program: the splash event follows the program's first
// visible window while the program still runs, and the exit code comes back.
#include "payload/ProgramLaunch.h"
#include "payload/TempFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

constexpr DWORD kRunLimit = 30000;

std::wstring PayloadProgram()
{
    // This test program lives in tests/payload/ of the Windows build, the payload in bin/.
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    for (int level = 0; level < 3; ++level)
        folder = folder.substr(0, folder.find_last_of(L'\\'));
    return folder + L"\\bin\\payload.exe";
}

struct Launch {
    std::wstring program;
    HANDLE closeSplashEvent = nullptr;
    int32_t exitCode = 0;
    ResultCode result = 0;
};

DWORD WINAPI RunLaunch(void* context)
{
    auto* launch = static_cast<Launch*>(context);
    launch->result = RunProgram(launch->program, L"", &launch->exitCode, launch->closeSplashEvent);
    return 0;
}

class ProgramLaunch : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        ASSERT_EQ(ProbeTempFolder(std::wstring(temp) + L"brennix-launch-test"), Result::Ok);
    }

    void SetUp() override { m_event = CreateEventW(nullptr, TRUE, FALSE, nullptr); }
    void TearDown() override { CloseHandle(m_event); }

    // Starts RunProgram on a worker thread, as the stub does; the caller waits for it.
    HANDLE Start(Launch& launch)
    {
        launch.closeSplashEvent = m_event;
        return CreateThread(nullptr, 0, RunLaunch, &launch, 0, nullptr);
    }

    HANDLE m_event = nullptr;
};

TEST_F(ProgramLaunch, SignalsTheFirstVisibleWindowWhileTheProgramStillRuns)
{
    SetEnvironmentVariableW(L"BRENNIX_PAYLOAD_WINDOW", L"visible:300");
    SetEnvironmentVariableW(L"BRENNIX_PAYLOAD_LINGER", L"2500");
    SetEnvironmentVariableW(L"BRENNIX_PAYLOAD_EXIT", L"7");
    Launch launch{PayloadProgram()};
    HANDLE worker = Start(launch);

    ASSERT_EQ(WaitForSingleObject(m_event, kRunLimit), WAIT_OBJECT_0) << "the window was noticed";
    EXPECT_EQ(WaitForSingleObject(worker, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "before the program ended";
    ASSERT_EQ(WaitForSingleObject(worker, kRunLimit), WAIT_OBJECT_0);
    CloseHandle(worker);
    EXPECT_EQ(launch.result, Result::Ok);
    EXPECT_EQ(launch.exitCode, 7);
}

TEST_F(ProgramLaunch, AProgramWithOnlyAHiddenWindowNeverSignals)
{
    SetEnvironmentVariableW(L"BRENNIX_PAYLOAD_WINDOW", L"hidden");
    SetEnvironmentVariableW(L"BRENNIX_PAYLOAD_LINGER", L"600");
    SetEnvironmentVariableW(L"BRENNIX_PAYLOAD_EXIT", L"3");
    Launch launch{PayloadProgram()};
    HANDLE worker = Start(launch);
    ASSERT_EQ(WaitForSingleObject(worker, kRunLimit), WAIT_OBJECT_0);
    CloseHandle(worker);
    EXPECT_EQ(launch.result, Result::Ok);
    EXPECT_EQ(launch.exitCode, 3);
    EXPECT_EQ(WaitForSingleObject(m_event, 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST_F(ProgramLaunch, AMissingProgramIsAnInvalidArgument)
{
    Launch launch{PayloadProgram() + L".missing.exe"};
    HANDLE worker = Start(launch);
    ASSERT_EQ(WaitForSingleObject(worker, kRunLimit), WAIT_OBJECT_0);
    CloseHandle(worker);
    EXPECT_EQ(launch.result, Result::InvalidArg);
    EXPECT_EQ(launch.exitCode, 0);
    EXPECT_EQ(WaitForSingleObject(m_event, 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

} // namespace
