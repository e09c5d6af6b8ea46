#pragma once
// Test helper: hands arguments to a command-line reader as the stub's start-up does, with a
// program path in front as the runtime's argument vector has it.
#include "app/CommandLineInfoEx.h"

#include <string>
#include <vector>

inline void ParseArguments(CCommandLineInfoEx& info, const std::vector<std::wstring>& arguments)
{
    std::vector<const wchar_t*> argv = {L"C:\\Downloads\\setup.exe"};
    for (const std::wstring& argument : arguments)
        argv.push_back(argument.c_str());
    ParseCommandLine(info, static_cast<int>(argv.size()), argv.data());
}
