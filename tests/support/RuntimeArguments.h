#pragma once
// Test oracle: how the C runtime splits a command line (the part after the program's name)
// into its argument vector. White space (blank, tab) separates arguments outside quotes; a
// double quote opens or closes a quoted part and is removed, two double quotes inside a quoted
// part give one; 2n backslashes before a double quote give n backslashes, 2n+1 give n and a
// literal double quote; other backslashes are literal.
#include <string>
#include <vector>

inline std::vector<std::wstring> SplitLikeRuntime(const std::wstring& line)
{
    std::vector<std::wstring> arguments;
    size_t i = 0;
    const size_t n = line.size();
    for (;;) {
        while (i < n && (line[i] == L' ' || line[i] == L'\t'))
            ++i;
        if (i >= n)
            return arguments;
        std::wstring argument;
        bool inQuote = false;
        while (i < n && (inQuote || (line[i] != L' ' && line[i] != L'\t'))) {
            if (line[i] == L'\\') {
                size_t backslashes = 0;
                while (i < n && line[i] == L'\\') {
                    ++backslashes;
                    ++i;
                }
                if (i < n && line[i] == L'"') {
                    argument.append(backslashes / 2, L'\\');
                    if (backslashes % 2 == 1) {
                        argument += L'"';
                        ++i;
                    }
                } else {
                    argument.append(backslashes, L'\\');
                }
            } else if (line[i] == L'"') {
                if (inQuote && i + 1 < n && line[i + 1] == L'"') {
                    argument += L'"';
                    i += 2;
                } else {
                    inQuote = !inQuote;
                    ++i;
                }
            } else {
                argument += line[i++];
            }
        }
        arguments.push_back(argument);
    }
}
