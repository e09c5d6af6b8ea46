// The dialog framework and the message dialog's controls, run under Wine on the stub's own
// templates: data exchange both ways, the end codes, the main-window rule, binding and
// unbinding controls, and the answers of the heading and link controls to their messages.
#include "app/BrennixInstallerApp.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "res/resource.h"
#include "ui/BrennixInstallerDlg.h"
#include "ui/StaticLink.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// The message dialog with a test step run once its controls are filled.
class SteppedDialog : public CBrennixInstallerDlg {
public:
    SteppedDialog(bool question, std::function<void(SteppedDialog&)> step)
        : CBrennixInstallerDlg(question), m_step(std::move(step))
    {
    }

    CStaticEx& Heading() { return m_wndHeading; }
    CStaticLink& Link() { return m_wndLink; }
    LRESULT SendToDialog(UINT message, WPARAM wParam, LPARAM lParam) { return Send(message, wParam, lParam); }

protected:
    BOOL OnInitDialog() override
    {
        const BOOL result = CBrennixInstallerDlg::OnInitDialog();
        m_step(*this);
        return result;
    }

private:
    std::function<void(SteppedDialog&)> m_step;
};

void Press(HWND dialog, int id)
{
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool QuitWaiting()
{
    MSG message;
    bool quit = false;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        quit = quit || message.message == WM_QUIT;
    return quit;
}

TEST(DialogFramework, OpeningFillsTheControlsAndOkReadsThemBack)
{
    std::wstring shownMessage, shownHeading, shownLink;
    SteppedDialog dialog(true, [&](SteppedDialog& d) {
        shownMessage = ReadWindowText(d.GetDlgItem(IDC_MESSAGE));
        shownHeading = ReadWindowText(d.GetDlgItem(IDC_HEADING));
        shownLink = ReadWindowText(d.GetDlgItem(IDC_LINK));
        SetWindowTextW(d.GetDlgItem(IDC_MESSAGE), L"changed on screen");
        Press(d.m_hWnd, IDOK);
    });
    dialog.m_strMessage = L"the message";
    dialog.m_strHeading = L"the heading";
    dialog.m_strLink = L"the link";
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(shownMessage, L"the message");
    EXPECT_EQ(shownHeading, L"the heading");
    EXPECT_EQ(shownLink, L"the link");
    EXPECT_EQ(dialog.m_strMessage, L"changed on screen");
    EXPECT_EQ(dialog.m_hWnd, nullptr);
}

TEST(DialogFramework, CancelReadsNothingBack)
{
    SteppedDialog dialog(false, [](SteppedDialog& d) {
        SetWindowTextW(d.GetDlgItem(IDC_MESSAGE), L"changed on screen");
        Press(d.m_hWnd, IDCANCEL);
    });
    dialog.m_strMessage = L"the message";
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.m_strMessage, L"the message");
}

TEST(DialogFramework, ControlsBindAgainOnASecondRun)
{
    int runs = 0;
    SteppedDialog dialog(false, [&](SteppedDialog& d) {
        ++runs;
        EXPECT_EQ(CWnd::FromHandlePermanent(d.GetDlgItem(IDC_LINK)), &d.Link());
        Press(d.m_hWnd, IDCANCEL);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.Link().m_hWnd, nullptr);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(runs, 2);
}

TEST(DialogFramework, MainWindowsEndPostsQuitAndClearsIt)
{
    QuitWaiting();
    SteppedDialog dialog(false, [](SteppedDialog& d) { Press(d.m_hWnd, IDCANCEL); });
    theApp.m_pMainWnd = &dialog;
    dialog.DoModal();
    EXPECT_EQ(theApp.m_pMainWnd, nullptr);
    EXPECT_TRUE(QuitWaiting());

    SteppedDialog other(false, [](SteppedDialog& d) { Press(d.m_hWnd, IDCANCEL); });
    other.DoModal();
    EXPECT_FALSE(QuitWaiting()) << "a dialog that is not the main window posted a quit message";
}

TEST(DialogFramework, MissingTemplateGivesMinusOne)
{
    CDialog dialog(4711);
    EXPECT_EQ(dialog.DoModal(), -1);
}

TEST(DialogFramework, ModelessDialogIsHiddenByEndAndDestroyedWithItsObject)
{
    HWND window = nullptr;
    {
        CDialog splash(IDD_SPLASH);
        ASSERT_TRUE(splash.Create());
        window = splash.m_hWnd;
        EXPECT_FALSE(IsWindowVisible(window)) << "the splash template is not visible at creation";
        ShowWindow(window, SW_SHOW);
        splash.EndDialog(5);
        EXPECT_TRUE(IsWindow(window));
        EXPECT_FALSE(IsWindowVisible(window));
    }
    EXPECT_FALSE(IsWindow(window));
}

TEST(DialogFramework, ControlObjectGoneFirstGivesTheWindowBackItsProcedure)
{
    CDialog splash(IDD_SPLASH);
    ASSERT_TRUE(splash.Create());
    HWND picture = GetWindow(splash.m_hWnd, GW_CHILD);
    const LONG_PTR original = GetWindowLongPtrW(picture, GWLP_WNDPROC);
    {
        CStatic control;
        ASSERT_TRUE(control.SubclassWindow(picture));
        EXPECT_NE(GetWindowLongPtrW(picture, GWLP_WNDPROC), original);
        CStatic second;
        EXPECT_FALSE(second.SubclassWindow(picture)) << "one window bound to two objects";
    }
    EXPECT_EQ(GetWindowLongPtrW(picture, GWLP_WNDPROC), original);
    EXPECT_EQ(CWnd::FromHandlePermanent(picture), nullptr);
}

// The colour message as the static control sends it while painting, on a memory DC.
struct PaintAnswer {
    LRESULT brush;
    LOGFONTW font;
    COLORREF textColour;
    int backgroundMode;
};

PaintAnswer AskColours(SteppedDialog& dialog, int controlId)
{
    HDC dc = CreateCompatibleDC(nullptr);
    SetTextColor(dc, RGB(1, 2, 3));
    PaintAnswer answer = {};
    answer.brush = dialog.SendToDialog(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                       reinterpret_cast<LPARAM>(dialog.GetDlgItem(controlId)));
    GetObjectW(GetCurrentObject(dc, OBJ_FONT), sizeof(answer.font), &answer.font);
    answer.textColour = GetTextColor(dc);
    answer.backgroundMode = GetBkMode(dc);
    DeleteDC(dc);
    return answer;
}

TEST(HeadingAndLink, ColourMessagesReachTheControls)
{
    PaintAnswer heading = {}, link = {}, message = {};
    SteppedDialog dialog(false, [&](SteppedDialog& d) {
        heading = AskColours(d, IDC_HEADING);
        link = AskColours(d, IDC_LINK);
        message = AskColours(d, IDC_MESSAGE);
        Press(d.m_hWnd, IDCANCEL);
    });
    dialog.DoModal();

    EXPECT_EQ(heading.brush, reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
    EXPECT_EQ(heading.font.lfHeight, 14);
    EXPECT_EQ(heading.font.lfWeight, FW_BOLD);
    EXPECT_STREQ(heading.font.lfFaceName, L"Tahoma");
    EXPECT_EQ(heading.backgroundMode, TRANSPARENT);
    EXPECT_EQ(heading.textColour, RGB(1, 2, 3)) << "the heading keeps the default text colour";

    EXPECT_EQ(link.brush, reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
    EXPECT_TRUE(link.font.lfUnderline);
    EXPECT_STREQ(link.font.lfFaceName, L"Tahoma");
    EXPECT_EQ(link.textColour, RGB(0, 0, 255));
    EXPECT_EQ(link.backgroundMode, TRANSPARENT);

    // The message is no bound control: the dialog's own colours.
    EXPECT_NE(message.brush, 0);
    EXPECT_NE(message.brush, reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
    EXPECT_FALSE(message.font.lfUnderline);
}

TEST(HeadingAndLink, LinkTakesTheMouseAndCharactersAndShowsTheHand)
{
    LRESULT hit = 0, code = 0, cursorAnswer = 0;
    HCURSOR cursor = nullptr;
    SteppedDialog dialog(false, [&](SteppedDialog& d) {
        HWND link = d.GetDlgItem(IDC_LINK);
        hit = SendMessageW(link, WM_NCHITTEST, 0, 0);
        code = SendMessageW(link, WM_GETDLGCODE, 0, 0);
        cursorAnswer = SendMessageW(link, WM_SETCURSOR, reinterpret_cast<WPARAM>(link), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        cursor = GetCursor();
        Press(d.m_hWnd, IDCANCEL);
    });
    dialog.DoModal();
    EXPECT_EQ(hit, HTCLIENT);
    EXPECT_EQ(code, DLGC_WANTCHARS);
    EXPECT_EQ(cursorAnswer, TRUE);
    EXPECT_EQ(cursor, LoadCursorW(nullptr, IDC_HAND));
}

TEST(HeadingAndLink, LinkOnPictureOrFrameStylesLeavesTheColoursToTheDialog)
{
    LRESULT answer = 0;
    SteppedDialog dialog(false, [&](SteppedDialog& d) {
        HWND link = d.GetDlgItem(IDC_LINK);
        SetWindowLongW(link, GWL_STYLE, (GetWindowLongW(link, GWL_STYLE) & ~0x1F) | SS_LEFTNOWORDWRAP);
        answer = AskColours(d, IDC_LINK).brush;
        Press(d.m_hWnd, IDCANCEL);
    });
    dialog.DoModal();
    EXPECT_NE(answer, reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
}

} // namespace
