// Fuzzes the checks' text rules with arbitrary wide text: the settings' number rule, the
// dotted version, and the drive split, whose parts must put the path back together whenever
// it succeeds and be empty whenever it fails.
#include "checks/NetFrameworkDetection.h"
#include "checks/PathSplit.h"
#include "framework/DecimalNumber.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::wstring text;
    for (size_t i = 0; i + 1 < size; i += 2)
        text.push_back(static_cast<wchar_t>(data[i] | data[i + 1] << 8));

    ParseDecimalNumber(text);
    ParseNetVersion(text);

    // Small rooms as well as the check's own, so both outcomes are reached often.
    const size_t roomSeed = size > 0 ? data[0] : 0;
    const PathPartRoom rooms[] = {{3, 256, 256, 256}, {1 + roomSeed % 4, 1 + roomSeed % 7, 1 + roomSeed % 5, 1 + roomSeed % 3}};
    for (const PathPartRoom& room : rooms) {
        PathParts parts;
        const bool split = SplitPath(text, room, parts);
        const std::wstring joined = parts.drive + parts.directory + parts.fileName + parts.extension;
        if (split && joined != text.substr(0, text.find(L'\0')))
            abort();
        if (!split && !joined.empty())
            abort();
        if (split && (parts.drive.size() >= room.drive || parts.directory.size() >= room.directory ||
                      parts.fileName.size() >= room.fileName || parts.extension.size() >= room.extension))
            abort();
    }
    return 0;
}
