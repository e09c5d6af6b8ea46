#include "payload/LinkCheck.h"

#include "framework/Handles.h"
#include "payload/ReparsePoint.h"

#include <windows.h>

bool IsLink(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return false;
    // Only the listing of its folder gives a reparse point's tag; without it, it counts as a link.
    WIN32_FIND_DATAW entry = {};
    FindHandle search(FindFirstFileExW(path.c_str(), FindExInfoStandard, &entry, FindExSearchNameMatch, nullptr, 0));
    if (!search)
        return true;
    return IsLinkEntry(entry.dwFileAttributes, entry.dwReserved0);
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
