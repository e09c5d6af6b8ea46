#include "payload/ProgressSteps.h"

void ProgressSteps::Begin(uint64_t totalBytes, uint32_t nowMs)
{
    m_nTotalBytes = totalBytes;
    m_nWrittenBytes = 0;
    m_nStartMs = nowMs;
    m_nToldStep = kStepCount + 1;
}

bool ProgressSteps::Advance(uint64_t bytes, uint32_t nowMs, uint32_t& step)
{
    m_nWrittenBytes += bytes;
    // Unsigned difference: right across the clock's wrap.
    if (nowMs - m_nStartMs < kQuietMilliseconds)
        return false;
    uint32_t reached = kStepCount;
    // A payload of 0 bytes is complete at once; divide only within the total, where the
    // product cannot overflow (a setup file holds far less than 2^56 bytes).
    if (m_nWrittenBytes < m_nTotalBytes)
        reached = static_cast<uint32_t>(m_nWrittenBytes * kStepCount / m_nTotalBytes);
    if (reached == m_nToldStep)
        return false;
    m_nToldStep = reached;
    step = reached;
    return true;
}
