#include "payload/EmbeddedInformationScan.h"

#include <cstring>

namespace EmbeddedInformation {

namespace {
// The highest start index tested: a marker there ends 6 bytes before the end of the file.
constexpr size_t kLastTestedIndex = kWindowSize - kMarkerSize - 1;  // 4111
// Data runs from after the marker up to the byte before the tail (window index 4110).
constexpr size_t kDataEndIndex = kWindowSize - (kTailSize - 1);     // 4111, one past the data
} // namespace

ScanResult ScanWindow(const uint8_t* window, size_t windowSize)
{
    ScanResult result;
    if (window == nullptr || windowSize != kWindowSize)
        return result;
    // Index 0 is never tested: the block can start no earlier than 4116 bytes before the end.
    for (size_t index = kLastTestedIndex; index >= 1; --index) {
        if (std::memcmp(window + index, kMarker, kMarkerSize) != 0)
            continue;
        result.markerIndex = index;
        const size_t dataIndex = index + kMarkerSize;
        if (dataIndex >= kDataEndIndex) {
            result.outcome = ScanOutcome::EmptyData;
            return result;
        }
        result.outcome = ScanOutcome::Found;
        result.dataIndex = dataIndex;
        result.dataSize = kDataEndIndex - dataIndex;  // 4107 - index
        return result;
    }
    return result;
}

ScanResult ScanFileImage(const uint8_t* file, size_t fileSize)
{
    if (file == nullptr || !IsLargeEnoughToScan(fileSize))
        return ScanResult{};
    return ScanWindow(file + (fileSize - kWindowOffsetFromEnd), kWindowSize);
}

} // namespace EmbeddedInformation
