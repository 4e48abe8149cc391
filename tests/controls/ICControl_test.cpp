// The control base: taking a template control over and giving it back,
// caption bookkeeping through WM_SETTEXT, buffered painting, and the
// background query.
#include "ControlDialog.h"
#include "DcFixture.h"
#include "GdiCount.h"

#include "controls/ICBack.h"
#include "controls/ICButton.h"
#include "controls/ICControl.h"
#include "controls/ICStatic.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace {

const COLORREF kMagenta = RGB(255, 0, 255);
const COLORREF kBlue = RGB(0, 0, 255);

// Records what the base asks of its subclasses; the foreground paints the
// whole client area blue.
class ProbeControl : public ICControl {
public:
    struct Call {
        std::string what;
        HDC dc;
        bool hasDirty;
    };
    std::vector<Call> calls;
    int afterPaints = 0;
    // When set, storing a caption sets the window text again from inside
    // the WM_SETTEXT being handled.
    bool resetInside = false;
    LRESULT nestedAnswer = -1;

    bool DrawBackground(HDC dc, const RECT* dirty) override
    {
        calls.push_back({"background", dc, dirty != nullptr});
        return true;
    }
    bool DrawForeground(HDC dc, const RECT* dirty) override
    {
        calls.push_back({"foreground", dc, dirty != nullptr});
        HBRUSH brush = CreateSolidBrush(kBlue);
        RECT client = ClientRect();
        FillRect(dc, &client, brush);
        DeleteObject(brush);
        return true;
    }
    void AfterPaint(HDC dc) override
    {
        (void)dc;
        ++afterPaints;
    }
    void StoreCaption(const char* text) override
    {
        ICControl::StoreCaption(text);
        if (resetInside) {
            resetInside = false;
            nestedAnswer = SendMessageA(m_hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("inner"));
        }
    }
};

std::string WindowText(HWND window)
{
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

WNDPROC ProcedureOf(HWND window)
{
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
}

} // namespace

TEST(ICControlAttach, TakesOverTheTemplateControlAndGivesItBack)
{
    ControlDialog dialog;
    HWND button = dialog.Sized(IDC_PLAIN, 70, 24);
    WNDPROC own = ProcedureOf(button);

    ICControl control;
    EXPECT_EQ(nullptr, control.GetHwnd());
    EXPECT_FALSE(control.IsDoubleBuffered());
    ASSERT_TRUE(control.Attach(button, 7, false));
    EXPECT_EQ(button, control.GetHwnd());
    EXPECT_EQ(IDC_PLAIN, control.GetId());
    EXPECT_EQ(7, control.GetGroup());
    EXPECT_EQ(&ICControl::StaticWindowProc, ProcedureOf(button));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&control), GetWindowLongPtrW(button, GWLP_USERDATA));
    EXPECT_EQ(0, control.GetRect().left);
    EXPECT_EQ(70, control.GetRect().right);
    EXPECT_EQ(24, control.GetRect().bottom);
    EXPECT_EQ("Plain", control.GetCaption());
    // The native control still answers what the wrapper leaves alone.
    EXPECT_EQ("Plain", WindowText(button));

    control.Detach();
    EXPECT_EQ(own, ProcedureOf(button));
    EXPECT_EQ(nullptr, control.GetHwnd());
    EXPECT_EQ(0, control.GetId());
    EXPECT_EQ(0, control.GetGroup());
}

TEST(ICControlAttach, RefusesWhatIsNotAWindow)
{
    ICControl control;
    EXPECT_FALSE(control.Attach(nullptr, 0, false));
    HWND gone = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    EXPECT_FALSE(control.Attach(gone, 0, false));
    EXPECT_EQ(nullptr, control.GetHwnd());
}

TEST(ICControlLifetime, DestroyedBeforeItsWindowLeavesAWorkingControl)
{
    ControlDialog dialog;
    HWND button = dialog.Item(IDC_PLAIN);
    WNDPROC own = ProcedureOf(button);
    {
        ICControl control;
        ASSERT_TRUE(control.Attach(button, 0, false));
    }
    EXPECT_EQ(own, ProcedureOf(button));
    EXPECT_EQ(0, GetWindowLongPtrW(button, GWLP_USERDATA));
    SetWindowTextA(button, "Again");
    EXPECT_EQ("Again", WindowText(button));
}

TEST(ICControlLifetime, OutlivesItsWindow)
{
    ProbeControl control;
    {
        ControlDialog dialog;
        ASSERT_TRUE(control.Attach(dialog.Item(IDC_PLAIN), 3, false));
    }
    // The dead handle is forgotten, the object's own state stays usable.
    EXPECT_EQ(nullptr, control.GetHwnd());
    EXPECT_FALSE(control.Paint(nullptr, nullptr));
    control.SetText("stored", true);
    EXPECT_EQ("stored", control.GetCaption());
    EXPECT_TRUE(control.Resize(30, 12, true));
    EXPECT_EQ(30, control.GetRect().right - control.GetRect().left);
}

TEST(ICControlLifetime, ReattachingTheSameWindowKeepsTheNativeProcedure)
{
    ControlDialog dialog;
    HWND button = dialog.Item(IDC_PLAIN);
    WNDPROC own = ProcedureOf(button);
    ICControl first;
    ASSERT_TRUE(first.Attach(button, 0, false));
    ICControl second;
    ASSERT_TRUE(second.Attach(button, 0, false));
    SetWindowTextA(button, "Both");
    EXPECT_EQ("Both", WindowText(button));
    EXPECT_EQ("Both", second.GetCaption());
    second.Detach();
    EXPECT_EQ(own, ProcedureOf(button));
}

TEST(ICControlCaption, SetWindowTextReachesTheCaption)
{
    ControlDialog dialog;
    ICControl control;
    ASSERT_TRUE(control.Attach(dialog.Item(IDC_PLAIN), 0, false));
    SetWindowTextA(control.GetHwnd(), "L\xE4nge");
    EXPECT_EQ("L\xE4nge", control.GetCaption());
    control.SetText("Cut", false);
    EXPECT_EQ("Cut", control.GetCaption());
    EXPECT_EQ("Cut", WindowText(control.GetHwnd()));
}

TEST(ICControlCaption, DetachedControlOnlyStoresTheCaption)
{
    ICControl control;
    control.SetText("alone", true);
    EXPECT_EQ("alone", control.GetCaption());
}

TEST(ICControlCaption, NestedSetTextIsNotPassedOn)
{
    ControlDialog dialog;
    ProbeControl control;
    ASSERT_TRUE(control.Attach(dialog.Item(IDC_PLAIN), 0, false));
    control.resetInside = true;
    SetWindowTextA(control.GetHwnd(), "outer");
    EXPECT_EQ(4, control.nestedAnswer);
    EXPECT_EQ("outer", WindowText(control.GetHwnd()));
    EXPECT_EQ("outer", control.GetCaption());
    // The guard is down again afterwards.
    SetWindowTextA(control.GetHwnd(), "later");
    EXPECT_EQ("later", WindowText(control.GetHwnd()));
}

TEST(ICControlMessages, AnswersOfTheBase)
{
    ControlDialog dialog;
    ICControl control;
    ASSERT_TRUE(control.Attach(dialog.Item(IDC_PLAIN), 0, false));
    // The wrapped control's own answer, so the dialog keys stay the dialog's.
    EXPECT_EQ(DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON, SendMessageW(control.GetHwnd(), WM_GETDLGCODE, 0, 0));
    TestCanvas canvas(10, 10);
    EXPECT_EQ(1, SendMessageW(control.GetHwnd(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc()), 0));
    EXPECT_EQ(0, canvas.CountNot(RGB(255, 255, 255)));
}

TEST(ICControlMessages, PushStateAndFramePaintsRepaintTheControl)
{
    ControlDialog dialog(true);
    ProbeControl control;
    ASSERT_TRUE(control.Attach(dialog.Item(IDC_PLAIN), 0, false));
    control.afterPaints = 0;
    SendMessageW(control.GetHwnd(), BM_SETSTATE, TRUE, 0);
    EXPECT_EQ(BST_PUSHED, SendMessageW(control.GetHwnd(), BM_GETSTATE, 0, 0) & BST_PUSHED);
    EXPECT_EQ(1, control.afterPaints);
    EXPECT_EQ(0, SendMessageW(control.GetHwnd(), WM_NCPAINT, 1, 0));
    EXPECT_EQ(2, control.afterPaints);
}

// A procedure put in front of a wrapped control after the wrapper.
WNDPROC g_outerPrevious = nullptr;
LRESULT CALLBACK OuterProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcW(g_outerPrevious, window, message, wParam, lParam);
}

TEST(ICControlLifetime, ALaterSubclassStaysInTheChainAndTheControlKeepsWorking)
{
    ControlDialog dialog;
    HWND button = dialog.Item(IDC_PLAIN);
    {
        ICControl control;
        ASSERT_TRUE(control.Attach(button, 0, false));
        g_outerPrevious = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OuterProcedure)));
    }
    // Our procedure could not leave the chain; without its object it hands
    // everything to the button's own procedure.
    EXPECT_EQ(&OuterProcedure, ProcedureOf(button));
    SetWindowTextA(button, "Still a button");
    EXPECT_EQ("Still a button", WindowText(button));
    EXPECT_EQ(DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON, SendMessageW(button, WM_GETDLGCODE, 0, 0));
}

TEST(ICControlSize, ResizeWhileDetachedIsKeptForTheAttach)
{
    ControlDialog dialog;
    HWND button = dialog.Sized(IDC_PLAIN, 70, 24);
    ICControl control;
    control.Resize(40, 18, true);
    EXPECT_EQ(40, control.GetRect().right);
    EXPECT_EQ(18, control.GetRect().bottom);
    ASSERT_TRUE(control.Attach(button, 0, true));
    RECT rc;
    GetWindowRect(button, &rc);
    EXPECT_EQ(40, rc.right - rc.left);
    EXPECT_EQ(18, rc.bottom - rc.top);
    EXPECT_EQ(40, control.GetRect().right);
}

TEST(ICControlSize, SizeChangesGiveTheRectangleInTheParent)
{
    ControlDialog dialog;
    HWND button = dialog.Item(IDC_PLAIN);
    SetWindowPos(button, nullptr, 12, 9, 50, 20, SWP_NOZORDER);
    ICControl control;
    ASSERT_TRUE(control.Attach(button, 0, false));
    EXPECT_EQ(0, control.GetRect().left);
    control.Resize(60, 22, false);
    EXPECT_EQ(12, control.GetRect().left);
    EXPECT_EQ(9, control.GetRect().top);
    EXPECT_EQ(72, control.GetRect().right);
    EXPECT_EQ(31, control.GetRect().bottom);
}

TEST(ICControlPaint, UnbufferedDrawsStraightOntoTheTarget)
{
    ControlDialog dialog;
    ProbeControl control;
    ASSERT_TRUE(control.Attach(dialog.Sized(IDC_PLAIN, 20, 20), 0, false));
    TestCanvas canvas(20, 20);
    ASSERT_TRUE(control.Paint(canvas.dc(), nullptr));
    ASSERT_EQ(2u, control.calls.size());
    EXPECT_EQ("background", control.calls[0].what);
    EXPECT_EQ("foreground", control.calls[1].what);
    EXPECT_EQ(canvas.dc(), control.calls[0].dc);
    EXPECT_EQ(1, control.afterPaints);
    EXPECT_EQ(kBlue, canvas.At(19, 19));
}

TEST(ICControlPaint, BufferedCopiesOnlyTheDirtyRectangle)
{
    ControlDialog dialog;
    ProbeControl control;
    ASSERT_TRUE(control.Attach(dialog.Sized(IDC_PLAIN, 20, 20), 0, false));
    control.SetDoubleBuffered(true);
    TestCanvas canvas(20, 20);
    HBRUSH magenta = CreateSolidBrush(kMagenta);
    RECT all = canvas.Rect();
    FillRect(canvas.dc(), &all, magenta);
    DeleteObject(magenta);

    RECT dirty = {2, 3, 10, 12};
    ASSERT_TRUE(control.Paint(canvas.dc(), &dirty));
    ASSERT_EQ(2u, control.calls.size());
    EXPECT_NE(canvas.dc(), control.calls[0].dc);
    EXPECT_EQ(control.calls[0].dc, control.calls[1].dc);
    EXPECT_TRUE(control.calls[1].hasDirty);
    EXPECT_EQ(kBlue, canvas.At(2, 3));
    EXPECT_EQ(kBlue, canvas.At(9, 11));
    EXPECT_EQ(kMagenta, canvas.At(10, 11));
    EXPECT_EQ(kMagenta, canvas.At(9, 12));
    EXPECT_EQ(kMagenta, canvas.At(1, 3));

    // Without a dirty rectangle the whole client area is copied.
    ASSERT_TRUE(control.Paint(canvas.dc(), nullptr));
    EXPECT_EQ(kBlue, canvas.At(19, 19));
    EXPECT_EQ(kBlue, canvas.At(0, 0));
}

TEST(ICControlPaint, WithoutADcPaintsThroughTheWindow)
{
    ControlDialog dialog(true);
    ProbeControl control;
    ASSERT_TRUE(control.Attach(dialog.Item(IDC_PLAIN), 0, false));
    control.SetDoubleBuffered(true);
    ASSERT_TRUE(control.Paint(nullptr, nullptr));
    ASSERT_EQ(2u, control.calls.size());
    EXPECT_FALSE(control.calls[0].hasDirty);
    EXPECT_EQ(1, control.afterPaints);
}

TEST(ICControlPaint, WindowPaintGoesThroughPaint)
{
    ControlDialog dialog(true);
    ProbeControl control;
    ASSERT_TRUE(control.Attach(dialog.Item(IDC_PLAIN), 0, false));
    InvalidateRect(control.GetHwnd(), nullptr, TRUE);
    UpdateWindow(control.GetHwnd());
    EXPECT_GE(control.afterPaints, 1);
    RECT update;
    EXPECT_FALSE(GetUpdateRect(control.GetHwnd(), &update, FALSE));
}

// ---- The colour behind a control ----------------------------------------------------

TEST(ICControlBackground, PlainDialogGivesTheButtonFace)
{
    ControlDialog dialog;
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), ICControl::GetParentBackgroundColor(dialog.Get(), 5, 5));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), ICControl::GetParentBackgroundColor(nullptr, 5, 5));
}

TEST(ICControlBackground, FirstAnsweringDescendantWins)
{
    ControlDialog dialog;
    TestPanel silent(dialog.Get(), CLR_INVALID);
    TestPanel first(dialog.Get(), RGB(10, 20, 30));
    TestPanel second(dialog.Get(), RGB(200, 100, 50));
    EXPECT_EQ(RGB(10, 20, 30), ICControl::GetParentBackgroundColor(dialog.Get(), 4, 6));
    EXPECT_EQ(1, silent.Queries());
    EXPECT_EQ(1, first.Queries());
    EXPECT_EQ(0, second.Queries());
    EXPECT_EQ(4, first.LastPoint().x);
    EXPECT_EQ(6, first.LastPoint().y);
}

TEST(ICControlBackground, DescendantsOfChildrenAreAskedToo)
{
    ControlDialog dialog;
    TestPanel outer(dialog.Get(), CLR_INVALID);
    TestPanel inner(outer.Get(), RGB(1, 2, 3));
    EXPECT_EQ(RGB(1, 2, 3), ICControl::GetParentBackgroundColor(dialog.Get(), 0, 0));
}

TEST(ICControlBackground, TheParentAnswersWhenNoDescendantDoes)
{
    ControlDialog dialog;
    TestPanel panel(dialog.Get(), RGB(40, 50, 60), 0, 0, 100, 60);
    TestPanel child(panel.Get(), CLR_INVALID);
    EXPECT_EQ(RGB(40, 50, 60), ICControl::GetParentBackgroundColor(panel.Get(), 1, 1));
    EXPECT_EQ(1, child.Queries());
    EXPECT_EQ(1, panel.Queries());
}

TEST(ICControlBackground, EnumerationStopsForANullQuery)
{
    ControlDialog dialog;
    EXPECT_FALSE(ICControl::EnumBackgroundProc(dialog.Item(IDC_PLAIN), 0));
}

TEST(ICControlBackground, FillBackgroundQueryAnswersTheButtonFace)
{
    ICControl control;
    EXPECT_FALSE(control.FillBackgroundQuery(nullptr));
    BackColorQuery query = {};
    query.reserved = 9;
    ASSERT_TRUE(control.FillBackgroundQuery(&query));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), query.colour);
    EXPECT_EQ(0, query.reserved);
    EXPECT_EQ(3, query.flags);
}

TEST(ICControlBackground, BaseFillTakesThePanelColour)
{
    ControlDialog dialog;
    TestPanel panel(dialog.Get(), RGB(0, 128, 64), 0, 0, 120, 60);
    HWND item = CreateWindowExA(0, "STATIC", "x", WS_CHILD | WS_VISIBLE, 5, 5, 30, 20, panel.Get(), nullptr,
                                nullptr, nullptr);
    ICControl control;
    ASSERT_TRUE(control.Attach(item, 0, false));
    TestCanvas canvas(30, 20);
    ASSERT_TRUE(control.DrawBackground(canvas.dc(), nullptr));
    EXPECT_EQ(RGB(0, 128, 64), canvas.At(0, 0));
    EXPECT_EQ(RGB(0, 128, 64), canvas.At(29, 19));
    EXPECT_FALSE(control.DrawBackground(nullptr, nullptr));
}

// ---- Handles ----------------------------------------------------------------------

namespace {

// One life of every kind of control: built, painted in every state through
// every path, changed, and destroyed before or after its window.
void ControlLife(bool objectsFirst)
{
    ControlDialog dialog(true);
    auto save = std::make_unique<ICButton>(dialog.Sized(IDC_SAVE, 120, 30), 0, nullptr);
    auto open = std::make_unique<ICButton>(dialog.Item(IDC_OPEN), 0, nullptr);
    auto mru = std::make_unique<ICButton>(dialog.Item(IDC_MRU), 0, nullptr);
    auto label = std::make_unique<ICStatic>(dialog.Item(IDC_LABEL), DT_LEFT);
    auto words = std::make_unique<ICStatic>(dialog.Item(IDC_WORDS), DT_WORDBREAK);
    auto back = std::make_unique<ICBack>();
    DProps bag;
    bag.Set("rsrc", "BACK", nullptr, true);
    back->SetImage(dialog.Item(IDC_BACK), bag);

    TestCanvas canvas(120, 40);
    for (ICControl* control : std::initializer_list<ICControl*>{save.get(), open.get(), mru.get(), label.get(),
                                                                 words.get(), back.get()}) {
        control->Paint(canvas.dc(), nullptr);
        control->Paint(nullptr, nullptr);
        EnableWindow(control->GetHwnd(), FALSE);
        control->Paint(canvas.dc(), nullptr);
        EnableWindow(control->GetHwnd(), TRUE);
        RedrawWindow(control->GetHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
    }
    save->SetCaption("Save all");
    save->SetBitmap(static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), "BMRU24", IMAGE_BITMAP, 0, 0, 0)));
    SetWindowTextA(label->GetHwnd(), "Other text");
    words->SetText("many words that do not fit the label");
    back->SetImage(dialog.Item(IDC_BACK), bag);
    mru->Detach();

    if (objectsFirst) {
        save.reset();
        open.reset();
        mru.reset();
        label.reset();
        words.reset();
        back.reset();
    } else {
        DestroyWindow(dialog.Get());
    }
}

} // namespace

TEST(ICControlHandles, NoGdiObjectOutlivesItsControl)
{
    ControlLife(true);
    ControlLife(false);
    DWORD before = GdiObjectCount();
    for (int i = 0; i < 4; ++i) {
        ControlLife(i % 2 == 0);
    }
    EXPECT_EQ(before, GdiObjectCount());
}
