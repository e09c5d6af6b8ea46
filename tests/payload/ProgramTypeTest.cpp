// The program-type setting and the processor-mode decision table.
#include "checks/ProgramType.h"

#include <gtest/gtest.h>

namespace {

struct TypeCase {
    const wchar_t* text;
    ProgramType type;
    const wchar_t* logLine;
};

TEST(ProgramType, ReadsTheSettingWithoutRegardToCase)
{
    const TypeCase cases[] = {
        {L"x86", ptX86, L"Swapping to x86\n"},
        {L"X86", ptX86, L"Swapping to x86\n"},
        {L"x64", ptX64, L"Swapping to x64\n"},
        {L"X64", ptX64, L"Swapping to x64\n"},
        {L"x32Only", ptX32Only, L"Swapping to 32Bit only\n"},
        {L"X32ONLY", ptX32Only, L"Swapping to 32Bit only\n"},
        {L"x32only", ptX32Only, L"Swapping to 32Bit only\n"},
        {L"", ptAny, L"Staying on Any\n"},
        {L"arm64", ptAny, L"Staying on Any\n"},
        {L"x64 ", ptAny, L"Staying on Any\n"},
        {L"x6", ptAny, L"Staying on Any\n"},
        {L"x32", ptAny, L"Staying on Any\n"},
    };
    for (const TypeCase& c : cases) {
        const ProgramType type = ProgramTypeFromText(c.text);
        EXPECT_EQ(type, c.type) << testing::PrintToString(std::wstring(c.text));
        EXPECT_STREQ(ProgramTypeLogLine(type), c.logLine);
    }
}

struct ModeCase {
    ProgramType type;
    ProcessorModeAction on32Bit;
    ProcessorModeAction on64Bit;
};

TEST(ProcessorMode, FollowsTheDecisionTable)
{
    using A = ProcessorModeAction;
    const ModeCase cases[] = {
        {ptX86, A::Pass, A::Pass},
        {ptX64, A::Fail, A::Switch},
        {ptX32Only, A::Pass, A::Fail},
        {ptAny, A::Pass, A::Switch},
    };
    for (const ModeCase& c : cases) {
        EXPECT_EQ(DecideProcessorMode(c.type, false), c.on32Bit) << "type " << c.type << " on 32-bit Windows";
        EXPECT_EQ(DecideProcessorMode(c.type, true), c.on64Bit) << "type " << c.type << " on 64-bit Windows";
    }
}

} // namespace
