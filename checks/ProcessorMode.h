#pragma once
// The processor-mode guard around the installer's process creation: refuses a payload that
// cannot run on this Windows and, on 64-bit Windows, switches the calling thread's file-system
// redirection off for the moment of creation. The WOW64 calls are looked up at run time.
#include "checks/ProgramType.h"

// Reads setting 0 afresh, logs "ProgramType '%s'\n" and the matching announcement line, and
// returns the program type.
ProgramType GetProgramType();

// True when this 32-bit process runs on 64-bit Windows; false when IsWow64Process is missing.
bool IsWow64();

// Switch the calling thread's redirection off / back on. Both do nothing on 32-bit Windows or
// when the export is missing; failures are ignored.
void DisableFsRedirection();
void RevertFsRedirection();

// Lives on the launching thread's stack across process creation.
class CProcessorMode {
public:
    CProcessorMode() = default;
    ~CProcessorMode();
    CProcessorMode(const CProcessorMode&) = delete;
    CProcessorMode& operator=(const CProcessorMode&) = delete;

    // True when the launch may go ahead; false (after "Incorrect processor mode with
    // installation type\n") when the program type cannot run on this Windows. May switch
    // redirection off, which Restore undoes.
    bool SetProcessorMode();
    // Switches redirection back on when this guard switched it off (logging "Restoring 32Bit
    // spawned processes\n"); afterwards, and when it did not, nothing.
    void Restore();

    bool m_bRedirectionDisabled = false;
};
