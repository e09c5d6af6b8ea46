#pragma once
// The unpacking's progress, told by the worker to the main thread by posted messages, so the
// splash can show it. Any write path reports its chunks here; nothing else is shared.
#include <windows.h>

#include <cstdint>

// Posted to the listening thread (no window) when the shown step changes; wParam holds the
// step, 0 to ProgressSteps::kStepCount (the whole payload).
constexpr UINT WM_EXTRACTION_PROGRESS = WM_APP + 1;

// The thread to tell; 0, the start value, tells nobody (a silent run). Set before the
// worker starts.
void SetProgressListener(DWORD threadId);

// Starts counting towards `totalBytes`, the sizes the manifest gives the files to be written.
void BeginExtractionProgress(uint64_t totalBytes);

// `bytes` more of the payload are written. Posts WM_EXTRACTION_PROGRESS to the listener once
// the unpacking has run for half a second and then only when the step changes.
void ReportBytesWritten(uint64_t bytes);
