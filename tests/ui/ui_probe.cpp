// Test program: runs the stub's user interface pieces directly, for states that a whole run
// of the stub cannot reach yet, and looks at windows from outside for the GUI tests.
//   ui_probe dialog question|notice [--message=T] [--heading=T] [--link=T] [--focus-link] --result=PATH
//       the message dialog as the application's main window; PATH gets "result N", and
//       "quit-posted 0|1" and "main-window-cleared 0|1" after its window is gone
//   ui_probe report --code=HEX [--exit-code=HEX] [--net=MAJOR.MINOR.BUILD] [--net-sp=N]
//                   [--net-name=T] [--disk-mb=N] [--drive=T] [--tail=T] [--silent] [--log=PATH]
//       the end-of-run report for those facts
//   ui_probe splash [--silent] [--unpack-bytes=N --unpack-ms=M] --tag=NAME
//       the splash and the main thread's wait, with a stand-in worker that moves on when the
//       named events NAME.prompt, NAME.prompt-closed, NAME.installer-window and NAME.done are set;
//       after the prompt has closed it reports N bytes unpacked, spread evenly over M ms
//   ui_probe signal NAME          sets the named event NAME (creating it if need be)
//   ui_probe controls TITLE       one line per child of the visible top-level window TITLE:
//       "control\t<id>\t<class>\t<visible>\t<left>\t<top>\t<right>\t<bottom>\t<text>" (texts with
//       \\, \t, \r and \n escaped), after
//       "window\t<left>\t<top>\t<right>\t<bottom>\t<client left>\t<client top>\t<client right>\t<client bottom>\t<enabled>"
//   ui_probe windows              "top\t<visible>\t<class>\t<left>\t<top>\t<right>\t<bottom>\t<title>"
//       for every top-level window with a title or of the dialog class
//   ui_probe post TITLE MESSAGE WPARAM   posts a message to the top-level window TITLE
#include "app/BrennixInstallerApp.h"
#include "app/Log.h"
#include "framework/CodePage.h"
#include "framework/Handles.h"
#include "framework/Thread.h"
#include "payload/ExtractionProgress.h"
#include "ui/BrennixInstallerDlg.h"
#include "ui/SplashDlg.h"

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::vector<std::wstring> s_arguments;

std::wstring Option(const wchar_t* name, const wchar_t* fallback = L"")
{
    const std::wstring prefix = std::wstring(L"--") + name + L"=";
    for (const std::wstring& argument : s_arguments) {
        if (argument.rfind(prefix, 0) == 0)
            return argument.substr(prefix.size());
    }
    return fallback;
}

bool Flag(const wchar_t* name)
{
    const std::wstring flag = std::wstring(L"--") + name;
    for (const std::wstring& argument : s_arguments) {
        if (argument == flag)
            return true;
    }
    return false;
}

int32_t Number(const std::wstring& text)
{
    return static_cast<int32_t>(wcstoul(text.c_str(), nullptr, 0));
}

void WriteText(const std::wstring& path, const std::string& text)
{
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (file == nullptr)
        return;
    fputs(text.c_str(), file);
    fclose(file);
}

void Print(const std::wstring& line)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size > 0 ? size : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), bytes.data(), size, nullptr, nullptr);
    fwrite(bytes.data(), 1, bytes.size(), stdout);
    fputc('\n', stdout);
}

// The message dialog, as the tests need it: optionally with the keyboard focus on the link,
// which no user action gives it (the link is no tab stop). The focus moves there once the
// dialog is on screen, so the focus frame is drawn where the test can see it.
class ProbeDialog : public CBrennixInstallerDlg {
public:
    ProbeDialog(bool question, bool focusLink) : CBrennixInstallerDlg(question), m_bFocusLink(focusLink) {}

protected:
    BOOL OnInitDialog() override
    {
        const BOOL defaultFocus = CBrennixInstallerDlg::OnInitDialog();
        if (m_bFocusLink)
            SetTimer(m_hWnd, kFocusTimer, 500, nullptr);
        return defaultFocus;
    }

    const MessageMap* GetMessageMap() const override
    {
        static const MessageEntry entries[] = {OnMessage(WM_TIMER, &ProbeDialog::OnTimer)};
        static const MessageMap map = {CBrennixInstallerDlg::GetMessageMap(), entries, 1};
        return &map;
    }

private:
    static constexpr UINT_PTR kFocusTimer = 1;

    LRESULT OnTimer(WPARAM, LPARAM)
    {
        KillTimer(m_hWnd, kFocusTimer);
        m_wndLink.SetFocus();
        return 0;
    }

    bool m_bFocusLink;
};

int RunDialog(const std::wstring& mode)
{
    ProbeDialog dialog(mode == L"question", Flag(L"focus-link"));
    dialog.m_strMessage = Option(L"message", L"The message.");
    dialog.m_strHeading = Option(L"heading", L"Error");
    dialog.m_strLink = Option(L"link");
    theApp.m_pMainWnd = &dialog;
    const int result = dialog.DoModal();
    MSG message;
    bool quitPosted = false;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        quitPosted = quitPosted || message.message == WM_QUIT;
    char text[128];
    snprintf(text, sizeof(text), "result %d\nquit-posted %d\nmain-window-cleared %d\n", result, quitPosted ? 1 : 0,
             theApp.m_pMainWnd == nullptr ? 1 : 0);
    WriteText(Option(L"result"), text);
    return 0;
}

int RunReport()
{
    const std::wstring log = Option(L"log");
    if (!log.empty())
        OpenLogFile(ToThreadAnsi(log));
    theApp.m_bSilent = Flag(L"silent");
    std::wstring tail = Option(L"tail");
    theApp.m_lpCmdLine = tail.data();
    theApp.m_nExitCode = Number(Option(L"exit-code", L"0"));
    theApp.m_nRequiredNetSP = Number(Option(L"net-sp", L"0"));
    theApp.m_strRequiredNetName = Option(L"net-name", L".NET (full) 4.0");
    theApp.m_nRequiredDiskMB = Number(Option(L"disk-mb", L"0"));
    theApp.m_strDiskDrive = Option(L"drive");
    const std::wstring net = Option(L"net", L"4.0.0");
    swscanf(net.c_str(), L"%d.%d.%d", &theApp.m_nRequiredNetMajor, &theApp.m_nRequiredNetMinor,
            &theApp.m_nRequiredNetBuild);
    theApp.ReportError(Number(Option(L"code", L"0")));
    CloseLogFile();
    return 0;
}

ObjectHandle NamedEvent(const std::wstring& name)
{
    return ObjectHandle(CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
}

struct SplashScript {
    std::wstring tag;
    DWORD mainThread;
    uint64_t unpackBytes;
    uint32_t unpackMs;
};

// Reports the bytes as the extraction would, in equal chunks spread over the given time.
void StandInUnpacking(uint64_t bytes, uint32_t milliseconds)
{
    constexpr uint32_t kChunks = 512;
    BeginExtractionProgress(bytes);
    for (uint32_t chunk = 0; chunk < kChunks; ++chunk) {
        ReportBytesWritten(bytes / kChunks + (chunk == kChunks - 1 ? bytes % kChunks : 0));
        if (milliseconds != 0)
            Sleep(milliseconds / kChunks);
    }
}

// Stands in for the worker: each step waits for the test's signal, then does what the real
// worker would at that point, and wakes the main thread as the real one's windows would.
unsigned StandInWorker(void* parameter)
{
    const auto* script = static_cast<SplashScript*>(parameter);
    ObjectHandle prompt = NamedEvent(script->tag + L".prompt");
    ObjectHandle promptClosed = NamedEvent(script->tag + L".prompt-closed");
    ObjectHandle installerWindow = NamedEvent(script->tag + L".installer-window");
    ObjectHandle done = NamedEvent(script->tag + L".done");
    // A silent run never prompts, so its count never moves.
    const int step = theApp.m_bSilent ? 0 : 1;
    WaitForSingleObject(prompt.Get(), INFINITE);
    theApp.m_nPromptCount += step;
    PostThreadMessageW(script->mainThread, WM_NULL, 0, 0);
    WaitForSingleObject(promptClosed.Get(), INFINITE);
    theApp.m_nPromptCount -= step;
    PostThreadMessageW(script->mainThread, WM_NULL, 0, 0);
    if (script->unpackBytes != 0)
        StandInUnpacking(script->unpackBytes, script->unpackMs);
    WaitForSingleObject(installerWindow.Get(), INFINITE);
    SetEvent(theApp.m_hCloseSplashEvent);
    WaitForSingleObject(done.Get(), INFINITE);
    SetEvent(theApp.m_hDoneEvent);
    return 0;
}

int RunSplash()
{
    theApp.m_bSilent = Flag(L"silent");
    ObjectHandle doneEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ObjectHandle closeSplashEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    theApp.m_hDoneEvent = doneEvent.Get();
    theApp.m_hCloseSplashEvent = closeSplashEvent.Get();
    const uint64_t unpackBytes = wcstoull(Option(L"unpack-bytes", L"0").c_str(), nullptr, 10);
    SplashScript script = {Option(L"tag"), GetCurrentThreadId(), unpackBytes,
                           static_cast<uint32_t>(Number(Option(L"unpack-ms", L"0")))};
    if (!theApp.m_bSilent)
        SetProgressListener(GetCurrentThreadId());
    AfxBeginThread(StandInWorker, &script);

    // As the run does it: created hidden, shown unless silent or a prompt is open.
    SplashDlg splash;
    splash.Create();
    if (!theApp.m_bSilent && theApp.m_nPromptCount == 0 && splash.GetSafeHwnd() != nullptr)
        ShowWindow(splash.GetSafeHwnd(), SW_SHOW);
    const HANDLE events[2] = {theApp.m_hCloseSplashEvent, theApp.m_hDoneEvent};
    WaitForWorker(events, &theApp, &splash);
    return 0;
}

int Signal(const std::wstring& name)
{
    ObjectHandle event = NamedEvent(name);
    return event && SetEvent(event.Get()) ? 0 : 1;
}

// A window's text read without sending it a message: a window whose thread is busy (the stub's
// main thread during its signature check) would otherwise stall the probe.
std::wstring TextOf(HWND window)
{
    wchar_t text[1024] = {};
    const int length = InternalGetWindowText(window, text, 1024);
    return std::wstring(text, length > 0 ? length : 0);
}

struct TitleSearch {
    const std::wstring* title;
    HWND found;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<TitleSearch*>(context);
    if (IsWindowVisible(window) && TextOf(window) == *search->title) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindTopLevel(const std::wstring& title)
{
    TitleSearch search = {&title, nullptr};
    EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A window text on one line: backslash, tab, CR and LF written as \\, \t, \r and \n.
std::wstring OneLine(const std::wstring& text)
{
    std::wstring line;
    for (const wchar_t c : text) {
        switch (c) {
        case L'\\': line += L"\\\\"; break;
        case L'\t': line += L"\\t"; break;
        case L'\r': line += L"\\r"; break;
        case L'\n': line += L"\\n"; break;
        default: line += c; break;
        }
    }
    return line;
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[128] = {};
    GetClassNameW(window, name, 128);
    return name;
}

int ListControls(const std::wstring& title)
{
    HWND window = FindTopLevel(title);
    if (window == nullptr)
        return 1;
    RECT outer = {}, client = {};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    wchar_t line[512];
    swprintf(line, 512, L"window\t%ld\t%ld\t%ld\t%ld\t%ld\t%ld\t%ld\t%ld\t%d", outer.left, outer.top, outer.right,
             outer.bottom, client.left, client.top, client.right, client.bottom, IsWindowEnabled(window) ? 1 : 0);
    Print(line);
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect = {};
        GetWindowRect(child, &rect);
        swprintf(line, 512, L"control\t%d\t%ls\t%d\t%ld\t%ld\t%ld\t%ld\t", GetDlgCtrlID(child), ClassOf(child).c_str(),
                 IsWindowVisible(child) ? 1 : 0, rect.left, rect.top, rect.right, rect.bottom);
        Print(line + OneLine(TextOf(child)));
    }
    return 0;
}

BOOL CALLBACK PrintTopLevel(HWND window, LPARAM)
{
    const std::wstring title = TextOf(window);
    const std::wstring kind = ClassOf(window);
    if (title.empty() && kind != L"#32770")
        return TRUE;
    RECT rect = {};
    GetWindowRect(window, &rect);
    wchar_t line[256];
    swprintf(line, 256, L"top\t%d\t%ls\t%ld\t%ld\t%ld\t%ld\t", IsWindowVisible(window) ? 1 : 0, kind.c_str(), rect.left,
             rect.top, rect.right, rect.bottom);
    Print(line + OneLine(title));
    return TRUE;
}

int ListWindows()
{
    EnumWindows(PrintTopLevel, 0);
    return 0;
}

int Post(const std::wstring& title, const std::wstring& message, const std::wstring& wParam)
{
    HWND window = FindTopLevel(title);
    return window != nullptr && PostMessageW(window, Number(message), Number(wParam), 0) ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    for (int i = 1; i < argc; ++i)
        s_arguments.push_back(argv[i]);
    const std::wstring command = s_arguments.empty() ? L"" : s_arguments[0];
    const std::wstring first = s_arguments.size() > 1 ? s_arguments[1] : L"";
    if (command == L"dialog")
        return RunDialog(first);
    if (command == L"report")
        return RunReport();
    if (command == L"splash")
        return RunSplash();
    if (command == L"signal")
        return Signal(first);
    if (command == L"controls")
        return ListControls(first);
    if (command == L"windows")
        return ListWindows();
    if (command == L"post" && s_arguments.size() > 3)
        return Post(first, s_arguments[2], s_arguments[3]);
    return 2;
}
