// The demo's stand-in for a managed installer: a window that shows the command line, the
// folder and the files it was started with, and closes itself after a few seconds.
#include <windows.h>

#include <string>

namespace {

constexpr UINT_PTR kCloseTimer = 1;
constexpr UINT kShowMilliseconds = 6000;
constexpr wchar_t kTitle[] = L"Brennix demo installer";

void ListFiles(std::wstring& text, const std::wstring& root, const std::wstring& relative)
{
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((root + relative + L"*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ListFiles(text, root, relative + name + L"\\");
        } else {
            const unsigned long long size = (static_cast<unsigned long long>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
            text += L"    " + relative + name + L"  (" + std::to_wstring(size) + L" bytes)\r\n";
        }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
}

std::wstring DescribeStart()
{
    wchar_t buffer[MAX_PATH * 2] = {};
    std::wstring text = L"Command line:\r\n    ";
    text += GetCommandLineW();
    GetCurrentDirectoryW(MAX_PATH * 2, buffer);
    text += L"\r\n\r\nStarted in:\r\n    ";
    text += buffer;
    GetModuleFileNameW(nullptr, buffer, MAX_PATH * 2);
    std::wstring self = buffer;
    const std::wstring folder = self.substr(0, self.find_last_of(L'\\') + 1);
    text += L"\r\n\r\nFiles beside me in " + folder + L":\r\n";
    ListFiles(text, folder, L"");
    text += L"\r\nThis window closes by itself in a few seconds.";
    return text;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: {
        HWND text = CreateWindowExW(0, L"EDIT", DescribeStart().c_str(),
                                    WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, 0,
                                    0, 0, window, reinterpret_cast<HMENU>(1), nullptr, nullptr);
        SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
        SetTimer(window, kCloseTimer, kShowMilliseconds, nullptr);
        return 0;
    }
    case WM_SIZE:
        MoveWindow(GetDlgItem(window, 1), 8, 8, LOWORD(lParam) - 16, HIWORD(lParam) - 16, TRUE);
        return 0;
    case WM_TIMER:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"BrennixDemoInstaller";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, kTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 80, 60, 900,
                                  320, nullptr, nullptr, instance, nullptr);
    if (window == nullptr)
        return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
