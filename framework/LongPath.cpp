#include "framework/LongPath.h"

namespace {
constexpr size_t kMaxPath = 260;
constexpr size_t kLongestPath = 32767;
} // namespace

std::wstring ReadWholePath(const PathQuery& query)
{
    std::wstring path(kMaxPath, L'\0');
    for (;;) {
        const uint32_t length = query(&path[0], static_cast<uint32_t>(path.size()));
        if (length == 0)
            return std::wstring();
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        if (path.size() > kLongestPath)
            return std::wstring();
        path.resize(path.size() * 2);
    }
}

std::wstring ExtendedLengthPath(const std::wstring& path)
{
    if (path.size() < kMaxPath)
        return path;
    if (path.compare(0, 4, L"\\\\?\\") == 0 || path.compare(0, 4, L"\\\\.\\") == 0)
        return path;
    if (path.compare(0, 2, L"\\\\") == 0)
        return L"\\\\?\\UNC\\" + path.substr(2);
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\')
        return L"\\\\?\\" + path;
    return path;
}
