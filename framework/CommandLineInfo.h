#pragma once
// The base of a command-line reader. The framework's parsing hands it the process's arguments
// one at a time, as the C runtime split them; what they mean is the reader's business.

class CCommandLineInfo {
public:
    virtual ~CCommandLineInfo() = default;

    // Receives one argument after the program's own name. `isFlag` is true when the argument
    // began with "/" or "-"; that one character is already removed from `param`. `isLast` is
    // true for the final argument.
    virtual void ParseParam(const wchar_t* param, bool isFlag, bool isLast) = 0;
};

// Hands argv[1] to argv[argc - 1] to `info.ParseParam` in order. argv[0], the program's own
// name, is skipped; null entries are skipped too.
void ParseCommandLine(CCommandLineInfo& info, int argc, const wchar_t* const* argv);
