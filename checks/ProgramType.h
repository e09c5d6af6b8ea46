#pragma once
// The payload's program type (setting 0) and what it means for the launch on 32-bit and
// 64-bit Windows. Platform-free.
#include <string>

enum ProgramType {
    ptAny = 0,
    ptX86 = 1,
    ptX64 = 2,
    ptX32Only = 3,
};

// The program type a setting text names, compared without regard to case: "x86", "x64",
// "x32Only"; anything else, the empty text included, is ptAny.
ProgramType ProgramTypeFromText(const std::wstring& text);

// The log line that announces the program type, e.g. "Swapping to x64\n".
const wchar_t* ProgramTypeLogLine(ProgramType type);

// What the launch does about the processor mode.
enum class ProcessorModeAction {
    Pass,    // launch as is
    Fail,    // the payload cannot run on this Windows: no launch
    Switch,  // launch with file-system redirection off
};

// The action for `type` on 64-bit Windows (`wow64` true) or 32-bit Windows.
ProcessorModeAction DecideProcessorMode(ProgramType type, bool wow64);
