#include "payload/PathJoin.h"

#include "framework/ShellPath.h"

bool JoinPath(const std::wstring& base, const std::wstring& more, std::wstring& joined)
{
    joined.clear();
    // The shell call works in place in a buffer of MAX_PATH: check the base fits before copying.
    if (base.size() >= MAX_PATH)
        return false;
    wchar_t buffer[MAX_PATH] = {};
    base.copy(buffer, base.size());
    if (!PathAppendSystem(buffer, more.c_str()))
        return false;
    joined = buffer;
    return true;
}
