#pragma once
// The base of every framework window object: owns nothing but the handle it wraps.
#include <windows.h>

class CWnd {
public:
    virtual ~CWnd() = default;

    HWND GetSafeHwnd() const { return m_hWnd; }

    HWND m_hWnd = nullptr;
};
