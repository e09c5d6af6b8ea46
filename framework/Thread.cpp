#include "framework/Thread.h"

#include "framework/Handles.h"

#include <process.h>

#include <memory>

namespace {

struct ThreadStart {
    ThreadProc proc;
    void* parameter;
};

unsigned __stdcall ThreadEntry(void* context)
{
    std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(context));
    return start->proc(start->parameter);
}

} // namespace

DWORD AfxBeginThread(ThreadProc proc, void* parameter)
{
    auto start = std::make_unique<ThreadStart>(ThreadStart{proc, parameter});
    // _beginthreadex rather than CreateThread so the C runtime is set up for the new thread.
    ObjectHandle thread(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, ThreadEntry, start.get(), 0, nullptr)));
    if (!thread) {
        const DWORD error = GetLastError();
        return error != 0 ? error : ERROR_NOT_ENOUGH_MEMORY;
    }
    start.release();  // the thread owns it now
    return 0;
}
