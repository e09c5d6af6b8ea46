#include "payload/ExtractionProgress.h"

#include "payload/ProgressSteps.h"

namespace {

// Written by the main thread before the worker starts, then read by the worker alone.
DWORD s_nListenerThread = 0;
// The worker's alone.
ProgressSteps s_progress;

} // namespace

void SetProgressListener(DWORD threadId)
{
    s_nListenerThread = threadId;
}

void BeginExtractionProgress(uint64_t totalBytes)
{
    s_progress.Begin(totalBytes, GetTickCount());
}

void ReportBytesWritten(uint64_t bytes)
{
    if (s_nListenerThread == 0)
        return;
    uint32_t step = 0;
    if (s_progress.Advance(bytes, GetTickCount(), step))
        PostThreadMessageW(s_nListenerThread, WM_EXTRACTION_PROGRESS, step, 0);
}
