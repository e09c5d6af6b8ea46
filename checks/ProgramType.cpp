#include "checks/ProgramType.h"

#include "framework/TextCompare.h"

#include <iterator>

namespace {

struct ProgramTypeName {
    const wchar_t* text;  // nullptr: the row for every other text
    ProgramType type;
    const wchar_t* logLine;
};

// First match wins; the last row catches the rest.
constexpr ProgramTypeName kProgramTypes[] = {
    {L"x86", ptX86, L"Swapping to x86\n"},
    {L"x64", ptX64, L"Swapping to x64\n"},
    {L"x32Only", ptX32Only, L"Swapping to 32Bit only\n"},
    {nullptr, ptAny, L"Staying on Any\n"},
};

struct ProcessorModeRow {
    ProgramType type;
    ProcessorModeAction on32BitWindows;
    ProcessorModeAction on64BitWindows;
};

constexpr ProcessorModeRow kProcessorModes[] = {
    {ptX86, ProcessorModeAction::Pass, ProcessorModeAction::Pass},
    {ptX64, ProcessorModeAction::Fail, ProcessorModeAction::Switch},
    {ptX32Only, ProcessorModeAction::Pass, ProcessorModeAction::Fail},
    {ptAny, ProcessorModeAction::Pass, ProcessorModeAction::Switch},
};

const ProgramTypeName& RowFor(ProgramType type)
{
    for (const ProgramTypeName& row : kProgramTypes) {
        if (row.type == type)
            return row;
    }
    return kProgramTypes[std::size(kProgramTypes) - 1];
}

} // namespace

ProgramType ProgramTypeFromText(const std::wstring& text)
{
    for (const ProgramTypeName& row : kProgramTypes) {
        if (row.text == nullptr || EqualsNoCaseAscii(text, row.text))
            return row.type;
    }
    return ptAny;
}

const wchar_t* ProgramTypeLogLine(ProgramType type)
{
    return RowFor(type).logLine;
}

ProcessorModeAction DecideProcessorMode(ProgramType type, bool wow64)
{
    for (const ProcessorModeRow& row : kProcessorModes) {
        if (row.type == type)
            return wow64 ? row.on64BitWindows : row.on32BitWindows;
    }
    return ProcessorModeAction::Fail;  // unreachable: every type has a row
}
