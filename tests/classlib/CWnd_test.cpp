#include "TestApp.h"
#include "resource.h"

#include "foundation/ULog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const char* PlainClass()
{
    return AfxRegisterWndClass(0, nullptr, reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

// Records what reaches its WindowProc.
class Recorder : public CWnd {
public:
    std::vector<UINT> seen;
    int postNcDestroy = 0;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        seen.push_back(message);
        return CWnd::WindowProc(message, wParam, lParam);
    }
    void PostNcDestroy() override { ++postNcDestroy; }
};

// --- Binding ------------------------------------------------------------------

TEST(CWndBinding, OwnClassBindsAtCreationAndSeesItsCreateMessages)
{
    Recorder wnd;
    ASSERT_TRUE(wnd.CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, PlainClass(), nullptr, WS_POPUP | WS_VISIBLE,
                             RECT{-100, -100, -40, -40}, nullptr, 0));
    EXPECT_EQ(&wnd, CWnd::FromHandle(wnd.m_hWnd));
    ASSERT_FALSE(wnd.seen.empty());
    EXPECT_EQ(static_cast<UINT>(WM_NCCREATE), wnd.seen.front());
    EXPECT_NE(wnd.seen.end(), std::find(wnd.seen.begin(), wnd.seen.end(), static_cast<UINT>(WM_CREATE)));
    RECT rc;
    GetWindowRect(wnd.m_hWnd, &rc);
    EXPECT_EQ(-100, rc.left);
    EXPECT_EQ(60, rc.right - rc.left);
}

TEST(CWndBinding, RegisteredClassNamesAreSharedPerSetOfValues)
{
    const char* a = AfxRegisterWndClass(CS_OWNDC, nullptr, reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const char* b = AfxRegisterWndClass(CS_OWNDC, nullptr, reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const char* c = AfxRegisterWndClass(CS_OWNDC | CS_DBLCLKS);
    ASSERT_NE(nullptr, a);
    EXPECT_EQ(a, b);
    EXPECT_STRNE(a, c);
    WNDCLASSA wc;
    ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), a, &wc));
    EXPECT_EQ(static_cast<UINT>(CS_OWNDC), wc.style);
}

TEST(CWndBinding, SystemClassIsTakenOverAfterCreation)
{
    Recorder button;
    ASSERT_TRUE(button.CreateEx(0, "BUTTON", "Check", WS_POPUP | BS_AUTOCHECKBOX, 0, 0, 80, 20, nullptr));
    EXPECT_EQ(&button, CWnd::FromHandle(button.m_hWnd));
    button.seen.clear();
    button.SendMessage(BM_SETCHECK, BST_CHECKED);
    // The button's own procedure still answers what the object leaves alone.
    EXPECT_EQ(BST_CHECKED, button.SendMessage(BM_GETCHECK));
    EXPECT_EQ(2u, button.seen.size());
}

TEST(CWndBinding, DialogBindsAtInitDialogAndNotBefore)
{
    class FirstSeen : public CDialog {
    public:
        using CDialog::CDialog;
        std::vector<UINT> seen;
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
        {
            seen.push_back(message);
            return CDialog::WindowProc(message, wParam, lParam);
        }
    } dlg(IDD_PLAIN);
    ASSERT_TRUE(dlg.Create(IDD_PLAIN));
    ASSERT_FALSE(dlg.seen.empty());
    EXPECT_EQ(static_cast<UINT>(WM_INITDIALOG), dlg.seen.front());
}

LRESULT CALLBACK ForeignProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC previous = reinterpret_cast<WNDPROC>(GetPropA(window, "test.foreign.previous"));
    if (message == WM_APP + 50) {
        return 4242;
    }
    return CallWindowProcW(previous, window, message, wParam, lParam);
}

// The controls' wrappers take over GWL_USERDATA and the window procedure;
// the object stays bound and keeps its messages.
TEST(CWndBinding, WrapperTakingUserDataAndProcedureKeepsTheBinding)
{
    auto* dlg = new ScriptDialog(IDD_PLAIN);
    ASSERT_TRUE(dlg->Create(IDD_PLAIN));
    HWND window = dlg->m_hWnd;
    int appMessages = 0;
    dlg->onApp = [&](ScriptDialog&, UINT, WPARAM, LPARAM) {
        ++appMessages;
        return LRESULT(17);
    };
    SetWindowLongPtrW(window, GWLP_USERDATA, 0x1234);
    LONG_PTR previous = SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ForeignProc));
    SetPropA(window, "test.foreign.previous", reinterpret_cast<HANDLE>(previous));

    EXPECT_EQ(dlg, CWnd::FromHandle(window));
    EXPECT_EQ(17, SendMessageA(window, WM_APP + 1, 0, 0));
    EXPECT_EQ(4242, SendMessageA(window, WM_APP + 50, 0, 0));
    EXPECT_EQ(1, appMessages);

    // Deleting the object under the wrapper: the window goes, and the
    // messages of its destruction find no object.
    delete dlg;
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(1, appMessages);
}

// --- Destruction ----------------------------------------------------------

TEST(CWndDestruction, WindowDestroyedFirstLeavesTheObjectUnbound)
{
    Recorder wnd;
    ASSERT_TRUE(wnd.CreateEx(0, PlainClass(), "x", WS_POPUP, 0, 0, 10, 10, nullptr));
    HWND window = wnd.m_hWnd;
    DestroyWindow(window);
    EXPECT_EQ(nullptr, wnd.m_hWnd);
    EXPECT_EQ(nullptr, CWnd::FromHandle(window));
    EXPECT_EQ(1, wnd.postNcDestroy);
    EXPECT_EQ(static_cast<UINT>(WM_NCDESTROY), wnd.seen.back());
}

CWnd* g_boundAtDestroy = reinterpret_cast<CWnd*>(1);

LRESULT CALLBACK WatchDestroyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        g_boundAtDestroy = CWnd::FromHandle(window);
    }
    WNDPROC previous = reinterpret_cast<WNDPROC>(GetPropA(window, "test.watch.previous"));
    return CallWindowProcA(previous, window, message, wParam, lParam);
}

TEST(CWndDestruction, ObjectDeletedFirstUnbindsBeforeTheWindowGoes)
{
    auto* wnd = new Recorder;
    ASSERT_TRUE(wnd->CreateEx(0, PlainClass(), "x", WS_POPUP, 0, 0, 10, 10, nullptr));
    HWND window = wnd->m_hWnd;
    LONG_PTR previous = SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchDestroyProc));
    SetPropA(window, "test.watch.previous", reinterpret_cast<HANDLE>(previous));
    delete wnd;
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(nullptr, g_boundAtDestroy);
}

// --- Message maps ---------------------------------------------------------

class BaseWnd : public CWnd {
public:
    const CMessageMap* GetMessageMap() const override
    {
        static const CMessageMapOf<BaseWnd> map = CMessageMapOf<BaseWnd>(CWnd::GetMessageMap())
                                                      .On(WM_APP + 5, &BaseWnd::OnFive)
                                                      .On(WM_APP + 6, &BaseWnd::OnSix);
        return &map;
    }
    LRESULT OnFive(WPARAM, LPARAM) { return 1; }
    LRESULT OnSix(WPARAM, LPARAM) { return 6; }
};

class DerivedWnd : public BaseWnd {
public:
    UINT numbered = 0;
    const CMessageMap* GetMessageMap() const override
    {
        static const CMessageMapOf<DerivedWnd> map =
            CMessageMapOf<DerivedWnd>(BaseWnd::GetMessageMap())
                .On(WM_APP + 5, &DerivedWnd::OnFiveAgain)
                .OnRegistered("KORVA.classlib.test.PING", &DerivedWnd::OnPing)
                .OnRegistered("KORVA.classlib.test.NUMBERED", &DerivedWnd::OnNumbered);
        return &map;
    }
    LRESULT OnFiveAgain(WPARAM, LPARAM) { return 2; }
    LRESULT OnPing(WPARAM w, LPARAM l) { return static_cast<LRESULT>(w) + l; }
    LRESULT OnNumbered(UINT message, WPARAM, LPARAM)
    {
        numbered = message;
        return 1;
    }
};

TEST(MessageMap, RegisteredMessagesReachTheirHandlers)
{
    DerivedWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, PlainClass(), "x", WS_POPUP, 0, 0, 10, 10, nullptr));
    UINT ping = RegisterWindowMessageA("KORVA.classlib.test.PING");
    UINT numbered = RegisterWindowMessageA("KORVA.classlib.test.NUMBERED");
    EXPECT_EQ(30, wnd.SendMessage(ping, 10, 20));
    EXPECT_EQ(1, wnd.SendMessage(numbered));
    EXPECT_EQ(numbered, wnd.numbered);
}

TEST(MessageMap, DerivedEntriesComeBeforeTheBaseClassEntries)
{
    BaseWnd base;
    DerivedWnd derived;
    ASSERT_TRUE(base.CreateEx(0, PlainClass(), "b", WS_POPUP, 0, 0, 10, 10, nullptr));
    ASSERT_TRUE(derived.CreateEx(0, PlainClass(), "d", WS_POPUP, 0, 0, 10, 10, nullptr));
    EXPECT_EQ(1, base.SendMessage(WM_APP + 5));
    EXPECT_EQ(2, derived.SendMessage(WM_APP + 5));
    EXPECT_EQ(6, derived.SendMessage(WM_APP + 6));
    // Not in any table: the default procedure's answer.
    EXPECT_EQ(0, derived.SendMessage(WM_APP + 7));
}

// --- Default() ------------------------------------------------------------

int g_countedSetText = 0;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETTEXT) {
        ++g_countedSetText;
    }
    if (message == WM_APP + 9) {
        return 123;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class DefaultFirst : public CWnd {
public:
    std::string textSeen;
    bool throwAfterDefault = false;
    const CMessageMap* GetMessageMap() const override
    {
        static const CMessageMapOf<DefaultFirst> map =
            CMessageMapOf<DefaultFirst>(CWnd::GetMessageMap()).On(WM_SETTEXT, &DefaultFirst::OnSetText);
        return &map;
    }
    LRESULT OnSetText(WPARAM, LPARAM)
    {
        LRESULT result = Default();
        Default();
        char text[64] = {};
        GetWindowTextA(m_hWnd, text, sizeof text);
        textSeen = text;
        if (throwAfterDefault) {
            throw std::runtime_error("set text failed late");
        }
        return result;
    }
};

HWND CreateCountingWindow()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = CountingProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "KORVA.classlib.test.Counting";
        RegisterClassA(&wc);
        registered = true;
    }
    return CreateWindowExA(0, "KORVA.classlib.test.Counting", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

TEST(DefaultProcessing, HandlerCallsDefaultBeforeItsOwnWorkAndOnlyOnce)
{
    DefaultFirst wnd;
    ASSERT_TRUE(wnd.SubclassWindow(CreateCountingWindow()));
    g_countedSetText = 0;
    EXPECT_EQ(TRUE, SetWindowTextA(wnd.m_hWnd, "Stock 6000"));
    EXPECT_EQ("Stock 6000", wnd.textSeen);
    EXPECT_EQ(1, g_countedSetText);
    // What the object leaves alone reaches the previous procedure.
    EXPECT_EQ(123, wnd.SendMessage(WM_APP + 9));
    HWND window = wnd.UnsubclassWindow();
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&CountingProc), GetWindowLongPtrA(window, GWLP_WNDPROC));
    EXPECT_EQ(nullptr, CWnd::FromHandle(window));
    DestroyWindow(window);
}

class ColouredDialog : public CDialog {
public:
    using CDialog::CDialog;
    LRESULT defaultAnswer = 0;
    HBRUSH brush = CreateSolidBrush(RGB(0xF4, 0xFD, 0xFD));
    ~ColouredDialog() override { DeleteObject(brush); }
    const CMessageMap* GetMessageMap() const override
    {
        static const CMessageMapOf<ColouredDialog> map =
            CMessageMapOf<ColouredDialog>(CDialog::GetMessageMap()).On(WM_CTLCOLORSTATIC, &ColouredDialog::OnColor);
        return &map;
    }
    LRESULT OnColor(WPARAM dc, LPARAM)
    {
        defaultAnswer = Default();
        SetBkMode(reinterpret_cast<HDC>(dc), TRANSPARENT);
        return reinterpret_cast<LRESULT>(brush);
    }
};

TEST(DefaultProcessing, DialogHandlerAnswersAfterTheDialogDefault)
{
    ColouredDialog dlg(IDD_PLAIN);
    ASSERT_TRUE(dlg.Create(IDD_PLAIN));
    HDC dc = GetDC(dlg.m_hWnd);
    LRESULT answer = dlg.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                     reinterpret_cast<LPARAM>(dlg.GetDlgItem(IDC_LABEL)));
    EXPECT_EQ(TRANSPARENT, GetBkMode(dc));
    ReleaseDC(dlg.m_hWnd, dc);
    EXPECT_EQ(reinterpret_cast<LRESULT>(dlg.brush), answer);
    EXPECT_NE(0, dlg.defaultAnswer);
}

// --- Exceptions -----------------------------------------------------------

class Thrower : public CWnd {
public:
    const CMessageMap* GetMessageMap() const override
    {
        static const CMessageMapOf<Thrower> map =
            CMessageMapOf<Thrower>(CWnd::GetMessageMap()).On(WM_APP + 7, &Thrower::OnBoom);
        return &map;
    }
    LRESULT OnBoom(WPARAM, LPARAM) { throw std::runtime_error("boom in handler"); }
};

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(CallbackExceptions, AreLoggedAndAnsweredAsTheDefault)
{
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    std::string path = std::string(folder) + "classlib_errors.log";
    DeleteFileA(path.c_str());
    ULog log;
    ASSERT_TRUE(log.Open(path.c_str(), true));
    App().SetErrorLog(&log);

    Thrower wnd;
    ASSERT_TRUE(wnd.CreateEx(0, PlainClass(), "x", WS_POPUP, 0, 0, 10, 10, nullptr));
    EXPECT_EQ(0, wnd.SendMessage(WM_APP + 7));

    // A handler that throws after Default() keeps the default's answer and
    // does not run the default a second time.
    DefaultFirst late;
    late.throwAfterDefault = true;
    ASSERT_TRUE(late.SubclassWindow(CreateCountingWindow()));
    g_countedSetText = 0;
    EXPECT_EQ(TRUE, SetWindowTextA(late.m_hWnd, "late"));
    EXPECT_EQ(1, g_countedSetText);

    App().SetErrorLog(nullptr);
    log.Close();
    std::string text = ReadFile(path);
    EXPECT_NE(std::string::npos, text.find("ERR >> "));
    EXPECT_NE(std::string::npos, text.find("boom in handler"));
    EXPECT_NE(std::string::npos, text.find("set text failed late"));
    DeleteFileA(path.c_str());
}

} // namespace
