#include "payload/LinkCheck.h"

#include <windows.h>

bool IsLink(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool IsReachedThroughLink(const std::wstring& folder, const std::wstring& relativeName)
{
    std::wstring path = folder;
    if (!path.empty() && path.back() != L'\\')
        path += L'\\';
    const size_t elementsStart = path.size();
    path += relativeName;
    for (size_t i = elementsStart; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != L'\\' && path[i] != L'/')
            continue;
        if (i > elementsStart && IsLink(path.substr(0, i)))
            return true;
    }
    return false;
}
