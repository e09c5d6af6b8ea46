#include "checks/PathSplit.h"

namespace {
bool Fits(const std::wstring& part, size_t room)
{
    return part.size() < room;
}
} // namespace

bool SplitPath(const std::wstring& path, const PathPartRoom& room, PathParts& parts)
{
    parts = PathParts();
    std::wstring rest = path.substr(0, path.find(L'\0'));
    if (rest.size() >= 2 && rest[1] == L':') {
        parts.drive = rest.substr(0, 2);
        rest.erase(0, 2);
    }
    const size_t lastSeparator = rest.find_last_of(L"\\/");
    if (lastSeparator != std::wstring::npos) {
        parts.directory = rest.substr(0, lastSeparator + 1);
        rest.erase(0, lastSeparator + 1);
    }
    const size_t lastDot = rest.rfind(L'.');
    parts.fileName = rest.substr(0, lastDot);
    if (lastDot != std::wstring::npos)
        parts.extension = rest.substr(lastDot);

    if (!Fits(parts.drive, room.drive) || !Fits(parts.directory, room.directory) ||
        !Fits(parts.fileName, room.fileName) || !Fits(parts.extension, room.extension)) {
        parts = PathParts();
        return false;
    }
    return true;
}
