// The worker's progress reports as the main thread receives them: posted thread messages with
// the step, only after half a second of unpacking, only when the step changes, and none at all
// when no thread listens (a silent run). Here one thread plays both parts.
#include "payload/ExtractionProgress.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

namespace {

constexpr uint64_t kMiB = 1 << 20;

// The steps waiting in this thread's queue, taken out of it.
std::vector<WPARAM> TakeProgressMessages()
{
    std::vector<WPARAM> steps;
    MSG message;
    while (PeekMessageW(&message, nullptr, WM_EXTRACTION_PROGRESS, WM_EXTRACTION_PROGRESS, PM_REMOVE)) {
        EXPECT_EQ(message.hwnd, nullptr) << "posted to the thread, not to a window";
        steps.push_back(message.wParam);
    }
    return steps;
}

class ExtractionProgress : public testing::Test {
protected:
    void SetUp() override { TakeProgressMessages(); }
    void TearDown() override { SetProgressListener(0); }
};

TEST_F(ExtractionProgress, ListenerHearsEachNewStepAfterHalfASecond)
{
    SetProgressListener(GetCurrentThreadId());
    BeginExtractionProgress(256 * kMiB);
    ReportBytesWritten(64 * kMiB);
    ReportBytesWritten(64 * kMiB);
    EXPECT_EQ(TakeProgressMessages(), std::vector<WPARAM>{}) << "a short unpacking stays quiet";

    Sleep(600);
    ReportBytesWritten(kMiB / 2);
    ReportBytesWritten(kMiB / 4);
    ReportBytesWritten(kMiB / 4);
    ReportBytesWritten(127 * kMiB);
    ReportBytesWritten(0);
    EXPECT_EQ(TakeProgressMessages(), (std::vector<WPARAM>{128, 129, 256}));
}

TEST_F(ExtractionProgress, NothingPostedWithoutAListener)
{
    BeginExtractionProgress(2 * kMiB);
    Sleep(600);
    ReportBytesWritten(kMiB);
    ReportBytesWritten(kMiB);
    EXPECT_EQ(TakeProgressMessages(), std::vector<WPARAM>{});
}

} // namespace
