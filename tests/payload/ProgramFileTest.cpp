// Which file names make a resource a candidate for the program to launch.
#include "payload/ProgramFile.h"

#include <gtest/gtest.h>

namespace {

struct ProgramFileCase {
    const wchar_t* fileName;
    bool candidate;
};

TEST(IsProgramFile, NeedsExeAfterTheFirstCharacterInAnyCase)
{
    const ProgramFileCase cases[] = {
        {L"Setup.exe", true},
        {L"SETUP.EXE", true},
        {L"Setup.exe.config", true},
        {L"a.exe", true},
        {L"tool.exeX", true},
        {L"sub\\Setup.exe", true},
        {L"my.ExE.txt", true},
        {L".exe", false},
        {L".exe.config", false},
        {L"Setup.dll", false},
        {L"exe", false},
        {L"Setupexe", false},
        {L"", false},
    };
    for (const ProgramFileCase& c : cases) {
        CResource resource(107, L"TOOLKIT", nullptr);
        resource.m_strFileName = c.fileName;
        EXPECT_EQ(IsProgramFile(resource), c.candidate) << testing::PrintToString(std::wstring(c.fileName));
        EXPECT_EQ(resource.m_strFileName, c.fileName) << "the name itself is not changed";
    }
}

} // namespace
