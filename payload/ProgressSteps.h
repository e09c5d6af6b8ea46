#pragma once
// How far the unpacking has come, in steps of 1/256 of the payload's bytes, and when a step is
// worth telling the splash. Platform-free: the caller passes the clock in.
#include <cstdint>

class ProgressSteps {
public:
    // A full payload; the splash's bar is drawn in these units.
    static constexpr uint32_t kStepCount = 256;
    // Unpacking shorter than this shows no progress, so small payloads look as they always did.
    static constexpr uint32_t kQuietMilliseconds = 500;

    // Starts counting towards `totalBytes` at `nowMs` (a millisecond clock that may wrap).
    void Begin(uint64_t totalBytes, uint32_t nowMs);

    // Adds `bytes` written at `nowMs`. True when the step reached (0 to kStepCount) is to be
    // told: it differs from the last one told and the unpacking has run for kQuietMilliseconds;
    // `step` then holds it. Bytes beyond the total count as the full payload.
    bool Advance(uint64_t bytes, uint32_t nowMs, uint32_t& step);

private:
    uint64_t m_nTotalBytes = 0;
    uint64_t m_nWrittenBytes = 0;
    uint32_t m_nStartMs = 0;
    // Nothing told yet: no step equals this.
    uint32_t m_nToldStep = kStepCount + 1;
};
