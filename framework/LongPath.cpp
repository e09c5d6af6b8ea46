#include "framework/LongPath.h"

namespace {
constexpr size_t kMaxPath = 260;
} // namespace

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
