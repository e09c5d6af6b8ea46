#pragma once
// Where a setup file carries its embedded information block, and how the stub finds it.
// The block sits at the very end of the file: the marker "MRDC", the data, then a 6-byte tail
// that is never part of the data. There is no length field: the end of the file fixes the end
// of the data, so only the marker has to be found.
#include <cstddef>
#include <cstdint>

namespace EmbeddedInformation {

// Bytes read from the end of the file; the window ends one byte before the last byte.
constexpr size_t kWindowSize = 4116;
// Distance from the end of the file to the window's first byte.
constexpr size_t kWindowOffsetFromEnd = 4117;
constexpr uint8_t kMarker[4] = {'M', 'R', 'D', 'C'};
constexpr size_t kMarkerSize = sizeof(kMarker);
// Bytes at the end of the file that never belong to the data.
constexpr size_t kTailSize = 6;
// The largest data a block can carry (a marker at the window's index 1).
constexpr size_t kMaxDataSize = 4106;

// Files of this size or less are not scanned.
constexpr bool IsLargeEnoughToScan(uint64_t fileSize) { return fileSize > kWindowSize; }

enum class ScanOutcome {
    NoMarker,   // no marker in the searched range
    EmptyData,  // the last marker starts 10 to 6 bytes before the end: nothing to copy
    Found,
};

struct ScanResult {
    ScanOutcome outcome = ScanOutcome::NoMarker;
    size_t markerIndex = 0;  // window index of the marker (valid unless NoMarker)
    size_t dataIndex = 0;    // window index of the first data byte (Found only)
    size_t dataSize = 0;     // number of data bytes (Found only)
};

// Searches the scan window (exactly kWindowSize bytes) backwards for the marker, testing start
// indices 4111 down to 1, and reports the first hit; an earlier marker is never looked at once
// one is met. A window of another size gives NoMarker.
ScanResult ScanWindow(const uint8_t* window, size_t windowSize);

// Applies the stub's whole rule to a file held in memory: the size rule, the window, the scan.
// Indices in the result are window indices; the window starts at fileSize - kWindowOffsetFromEnd.
ScanResult ScanFileImage(const uint8_t* file, size_t fileSize);

} // namespace EmbeddedInformation
