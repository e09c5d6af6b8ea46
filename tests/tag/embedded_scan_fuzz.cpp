// Fuzzes the stub's search for an information block over any file tail: whatever the bytes, the
// reported block lies inside the window, starts right after a marker, ends before the 6-byte
// tail, and no marker sits between it and the last index searched.
#include "payload/EmbeddedInformationScan.h"

#include <cstdlib>
#include <cstring>

namespace Embedded = EmbeddedInformation;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The window is always full: a short input is padded with zeros at its front.
    uint8_t window[Embedded::kWindowSize] = {};
    const size_t used = size < sizeof(window) ? size : sizeof(window);
    std::memcpy(window + sizeof(window) - used, data + size - used, used);

    const Embedded::ScanResult result = Embedded::ScanWindow(window, sizeof(window));
    auto markerAt = [&](size_t index) { return std::memcmp(window + index, Embedded::kMarker, 4) == 0; };
    const size_t searchedFrom = result.outcome == Embedded::ScanOutcome::NoMarker ? 0 : result.markerIndex;
    for (size_t index = 4111; index > searchedFrom; --index)
        if (markerAt(index))
            std::abort();
    switch (result.outcome) {
    case Embedded::ScanOutcome::NoMarker:
        break;
    case Embedded::ScanOutcome::EmptyData:
        if (!markerAt(result.markerIndex) || result.markerIndex < 4107 || result.markerIndex > 4111)
            std::abort();
        break;
    case Embedded::ScanOutcome::Found:
        if (!markerAt(result.markerIndex) || result.markerIndex < 1 || result.dataIndex != result.markerIndex + 4 ||
            result.dataSize < 1 || result.dataSize > Embedded::kMaxDataSize ||
            result.dataIndex + result.dataSize != Embedded::kWindowSize - 5)
            std::abort();
        break;
    }
    return 0;
}
