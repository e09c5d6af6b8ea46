#include "framework/CommandLineInfo.h"

void ParseCommandLine(CCommandLineInfo& info, int argc, const wchar_t* const* argv)
{
    if (argv == nullptr)
        return;
    for (int i = 1; i < argc; ++i) {
        const wchar_t* param = argv[i];
        if (param == nullptr)
            continue;
        const bool isFlag = param[0] == L'/' || param[0] == L'-';
        info.ParseParam(isFlag ? param + 1 : param, isFlag, i + 1 == argc);
    }
}
