#include "payload/WindowIterator.h"

CWindowIterator::CWindowIterator(DWORD capacity) : m_pWindows(new HWND[capacity]), m_nCapacity(capacity) {}

void CWindowIterator::Collect()
{
    EnumWindows(EnumerateWindow, reinterpret_cast<LPARAM>(this));
}

BOOL CALLBACK CWindowIterator::EnumerateWindow(HWND window, LPARAM iterator)
{
    return reinterpret_cast<CWindowIterator*>(iterator)->VisitWindow(window);
}

BOOL CWindowIterator::VisitWindow(HWND window)
{
    if (AcceptWindow(window) && m_nCount < m_nCapacity)
        m_pWindows[m_nCount++] = window;
    return TRUE;
}

BOOL CWindowIterator::AcceptWindow(HWND)
{
    return TRUE;
}

CMainWindowIterator::CMainWindowIterator(DWORD processId, BOOL visibleOnly, DWORD capacity)
    : CWindowIterator(capacity), m_dwProcessId(processId), m_bVisibleOnly(visibleOnly)
{
}

BOOL CMainWindowIterator::AcceptWindow(HWND window)
{
    if (m_bVisibleOnly && (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) == 0)
        return FALSE;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId == m_dwProcessId;
}

bool HasProgramWindow(DWORD processId)
{
    CMainWindowIterator windows(processId, TRUE);
    windows.Collect();
    return windows.GetCount() > 0;
}
