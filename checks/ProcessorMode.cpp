#include "checks/ProcessorMode.h"

#include "app/Log.h"
#include "framework/StringTable.h"
#include "res/resource.h"

#include <windows.h>

namespace {

using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
using DisableRedirectionFunction = BOOL(WINAPI*)(PVOID*);
using RevertRedirectionFunction = BOOL(WINAPI*)(PVOID);

// Filled on first successful lookup and kept; a failed lookup is tried again next time.
IsWow64ProcessFunction s_pIsWow64Process = nullptr;
DisableRedirectionFunction s_pDisableRedirection = nullptr;
RevertRedirectionFunction s_pRevertRedirection = nullptr;
// The one saved redirection value of the process, handed back on revert.
PVOID s_pSavedRedirection = nullptr;

template <typename Function>
Function LookUp(Function& slot, const char* exportName)
{
    if (slot == nullptr) {
        // kernel32 is loaded in every process; its handle needs no release.
        HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
        if (kernel32 != nullptr)
            slot = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(kernel32, exportName)));
    }
    return slot;
}

} // namespace

ProgramType GetProgramType()
{
    const std::wstring text = LoadResString(IDS_SETTING_PROGRAM_TYPE);
    WriteLogFormat(L"ProgramType '%s'\n", text.c_str());
    const ProgramType type = ProgramTypeFromText(text);
    WriteLog(ProgramTypeLogLine(type));
    return type;
}

bool IsWow64()
{
    const auto isWow64Process = LookUp(s_pIsWow64Process, "IsWow64Process");
    BOOL wow64 = FALSE;
    if (isWow64Process != nullptr)
        isWow64Process(GetCurrentProcess(), &wow64);
    return wow64 != FALSE;
}

void DisableFsRedirection()
{
    if (!IsWow64())
        return;
    if (const auto disable = LookUp(s_pDisableRedirection, "Wow64DisableWow64FsRedirection"))
        disable(&s_pSavedRedirection);
}

void RevertFsRedirection()
{
    if (!IsWow64())
        return;
    if (const auto revert = LookUp(s_pRevertRedirection, "Wow64RevertWow64FsRedirection"))
        revert(s_pSavedRedirection);
}

bool CProcessorMode::SetProcessorMode()
{
    const ProgramType type = GetProgramType();
    switch (DecideProcessorMode(type, IsWow64())) {
    case ProcessorModeAction::Fail:
        WriteLog(L"Incorrect processor mode with installation type\n");
        return false;
    case ProcessorModeAction::Switch:
        WriteLog(L"Enabling 64Bit spawned processes\n");
        DisableFsRedirection();
        m_bRedirectionDisabled = true;
        return true;
    case ProcessorModeAction::Pass:
        break;
    }
    return true;
}

void CProcessorMode::Restore()
{
    if (!m_bRedirectionDisabled)
        return;
    WriteLog(L"Restoring 32Bit spawned processes\n");
    RevertFsRedirection();
    m_bRedirectionDisabled = false;
}

CProcessorMode::~CProcessorMode()
{
    Restore();
}
