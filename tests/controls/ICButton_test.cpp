// Owner-drawn buttons: the template text split into caption, picture and
// hint, the picture's place, transparent and disabled drawing, Enter, hints.
#include "ControlDialog.h"
#include "DcFixture.h"

#include "controls/ICButton.h"
#include "controls/ICHint.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);

// Counts the paints that reach the end.
class CountingButton : public ICButton {
public:
    using ICButton::ICButton;
    int paints = 0;
    void AfterPaint(HDC dc) override
    {
        (void)dc;
        ++paints;
    }
};

int TextLength(HWND window)
{
    return GetWindowTextLengthA(window);
}

int CentreX(const RECT& r)
{
    return (r.left + r.right) / 2;
}
int CentreY(const RECT& r)
{
    return (r.top + r.bottom) / 2;
}

} // namespace

TEST(ICButtonTemplate, SplitsCaptionPictureAndHint)
{
    ControlDialog dialog;
    ICButton button(dialog.Sized(IDC_SAVE, 120, 30), 2, nullptr);
    EXPECT_EQ("Save", button.GetButtonCaption());
    EXPECT_EQ("BSAVE24", button.GetImageName());
    EXPECT_EQ("Save the project", button.GetHint());
    EXPECT_EQ(2, button.GetGroup());
    EXPECT_TRUE(button.IsDoubleBuffered());
    EXPECT_TRUE(button.HasBitmap());
    EXPECT_EQ(kWhite, button.GetTransparentColour());
    // The native button never shows the raw template text.
    EXPECT_EQ(0, TextLength(button.GetHwnd()));
}

TEST(ICButtonTemplate, HintArgumentReplacesTheTemplateHint)
{
    ControlDialog dialog;
    ICButton button(dialog.Item(IDC_SAVE), 0, "Keep it");
    EXPECT_EQ("Keep it", button.GetHint());
}

TEST(ICButtonTemplate, IconNamesStartWithI)
{
    ControlDialog dialog;
    ICButton icon(dialog.Item(IDC_OPEN), 0, nullptr);
    EXPECT_TRUE(icon.HasIcon());
    EXPECT_EQ(32, icon.GetImageRect().right - icon.GetImageRect().left);
    EXPECT_EQ(32, icon.GetImageRect().bottom - icon.GetImageRect().top);
    ICButton bitmap(dialog.Item(IDC_SAVE), 0, nullptr);
    EXPECT_FALSE(bitmap.HasIcon());
    EXPECT_EQ(24, bitmap.GetImageRect().right - bitmap.GetImageRect().left);
}

TEST(ICButtonTemplate, MissingPictureLeavesTheCaptionAlone)
{
    ControlDialog dialog;
    ICButton button(dialog.Sized(IDC_MISSING, 80, 24), 0, nullptr);
    EXPECT_FALSE(button.HasBitmap());
    EXPECT_FALSE(button.HasIcon());
    EXPECT_EQ("Gone", button.GetButtonCaption());
    TestCanvas canvas(80, 24);
    EXPECT_TRUE(button.Paint(canvas.dc(), nullptr));
}

TEST(ICButtonLayout, PictureSitsLeftOfTheCaption)
{
    ControlDialog dialog;
    ICButton button(dialog.Sized(IDC_SAVE, 160, 30), 0, nullptr);
    const RECT& image = button.GetImageRect();
    const RECT& text = button.GetTextRect();
    EXPECT_EQ(8, image.left);
    EXPECT_EQ(30 / 2 - 24 / 2, image.top);
    EXPECT_EQ(image.right + 2, text.left);
    EXPECT_GT(text.right, text.left);
    EXPECT_LE(text.right, 160 - 4);
}

TEST(ICButtonLayout, NarrowButtonsMoveThePictureLeftDownToFive)
{
    ControlDialog dialog;
    // Too narrow for the caption at any gap: the last gap is used.
    ICButton button(dialog.Sized(IDC_SAVE, 34, 30), 0, nullptr);
    EXPECT_EQ(5, button.GetImageRect().left);
    EXPECT_EQ(31, button.GetTextRect().left);
}

TEST(ICButtonLayout, PictureWithoutCaptionIsCentred)
{
    ControlDialog dialog;
    ICButton button(dialog.Sized(IDC_MRU, 60, 24), 0, nullptr);
    EXPECT_EQ("", button.GetButtonCaption());
    const RECT& image = button.GetImageRect();
    EXPECT_EQ(60 / 2 - 20 / 2 + 1, image.left);
    EXPECT_EQ(24 / 2 - 16 / 2, image.top);
    EXPECT_EQ(0, button.GetTextRect().right - button.GetTextRect().left);
}

TEST(ICButtonLayout, PictureNeverStartsLeftOfTheButton)
{
    ControlDialog dialog;
    ICButton button(dialog.Sized(IDC_MRU, 8, 24), 0, nullptr);
    EXPECT_EQ(0, button.GetImageRect().left);
}

TEST(ICButtonPaint, BitmapIsDrawnWithoutItsKeyColour)
{
    ControlDialog dialog;
    ICButton button(dialog.Sized(IDC_SAVE, 120, 30), 0, nullptr);
    // Without the focus: its frame would cross the picture's corner.
    SetFocus(dialog.Item(IDC_PLAIN));
    TestCanvas canvas(120, 30);
    ASSERT_TRUE(button.Paint(canvas.dc(), nullptr));
    const RECT& image = button.GetImageRect();
    EXPECT_EQ(kRed, canvas.At(CentreX(image), CentreY(image)));
    // The picture's white corner shows what lies under it, as the face
    // just beside the picture does.
    COLORREF corner = canvas.At(image.left + 1, image.top + 1);
    EXPECT_NE(kWhite, corner);
    EXPECT_EQ(canvas.At(image.left - 2, image.top + 1), corner);
}

TEST(ICButtonPaint, DisabledButtonIsWashedWithWhite)
{
    ControlDialog dialog;
    ICButton button(dialog.Sized(IDC_SAVE, 120, 30), 0, nullptr);
    const RECT image = button.GetImageRect();
    TestCanvas enabled(120, 30);
    ASSERT_TRUE(button.Paint(enabled.dc(), nullptr));
    COLORREF face = enabled.At(image.left - 2, image.top + 1);

    EnableWindow(button.GetHwnd(), FALSE);
    EXPECT_FALSE(button.IsEnabledLook());
    TestCanvas disabled(120, 30);
    ASSERT_TRUE(button.Paint(disabled.dc(), nullptr));
    // The drawing at 144 of 255 over white.
    EXPECT_TRUE(Near(RGB(255, 111, 111), disabled.At(CentreX(image), CentreY(image))));
    COLORREF washed = RGB(GetRValue(face) * 144 / 255 + 111, GetGValue(face) * 144 / 255 + 111,
                          GetBValue(face) * 144 / 255 + 111);
    EXPECT_TRUE(Near(washed, disabled.At(image.left - 2, image.top + 1)));
    // The outer two pixels stay as drawn.
    EXPECT_EQ(enabled.At(1, 15), disabled.At(1, 15));

    EnableWindow(button.GetHwnd(), TRUE);
    EXPECT_TRUE(button.IsEnabledLook());
    TestCanvas again(120, 30);
    ASSERT_TRUE(button.Paint(again.dc(), nullptr));
    EXPECT_EQ(kRed, again.At(CentreX(image), CentreY(image)));
}

TEST(ICButtonPaint, IconIsDrawnAtItsPlace)
{
    ControlDialog dialog;
    ICButton button(dialog.Sized(IDC_OPEN, 140, 40), 0, nullptr);
    TestCanvas canvas(140, 40);
    ASSERT_TRUE(button.Paint(canvas.dc(), nullptr));
    EXPECT_EQ(RGB(0, 200, 0), canvas.At(CentreX(button.GetImageRect()), CentreY(button.GetImageRect())));
}

TEST(ICButtonPaint, ForegroundNeedsADc)
{
    ControlDialog dialog;
    ICButton button(dialog.Item(IDC_SAVE), 0, nullptr);
    EXPECT_FALSE(button.DrawForeground(nullptr, nullptr));
}

TEST(ICButtonCaption, SameCaptionDoesNotRepaint)
{
    ControlDialog dialog;
    CountingButton button(dialog.Sized(IDC_SAVE, 160, 30), 0, nullptr);
    button.paints = 0;
    button.SetCaption("Save");
    EXPECT_EQ(0, button.paints);
    RECT before = button.GetTextRect();
    button.SetCaption("Save the whole project");
    EXPECT_GE(button.paints, 1);
    EXPECT_EQ("Save the whole project", button.GetButtonCaption());
    EXPECT_GT(button.GetTextRect().right - button.GetTextRect().left, before.right - before.left);
}

TEST(ICButtonBitmap, NewBitmapReplacesThePicture)
{
    ControlDialog dialog;
    ICButton button(dialog.Sized(IDC_SAVE, 160, 30), 0, nullptr);
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), "BMRU24", IMAGE_BITMAP, 0, 0, 0));
    ASSERT_TRUE(bitmap);
    EXPECT_TRUE(button.SetBitmap(bitmap));
    EXPECT_EQ(20, button.GetImageRect().right - button.GetImageRect().left);
    EXPECT_EQ(8, button.GetImageRect().left);
    EXPECT_EQ(button.GetImageRect().right + 2, button.GetTextRect().left);
    EXPECT_FALSE(button.SetBitmap(nullptr));
}

TEST(ICButtonBitmap, RefusedBitmapIsNotLeaked)
{
    std::unique_ptr<ICButton> button;
    {
        ControlDialog dialog;
        button.reset(new ICButton(dialog.Item(IDC_PLAIN), 0, nullptr));
    }
    HBITMAP bitmap = CreateBitmap(4, 4, 1, 32, nullptr);
    EXPECT_FALSE(button->SetBitmap(bitmap));
    EXPECT_EQ(0u, GetObjectType(bitmap));
}

TEST(ICButtonMessages, EnterOnTheFocusedButtonClicksIt)
{
    ControlDialog dialog(true);
    ICButton button(dialog.Item(IDC_PLAIN), 0, nullptr);
    // The native button's answer: the dialog manager presses it on Enter.
    EXPECT_EQ(DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON, SendMessageW(button.GetHwnd(), WM_GETDLGCODE, 0, 0));

    SetFocus(dialog.Item(IDC_SAVE));
    SendMessageW(button.GetHwnd(), WM_CHAR, VK_RETURN, 0);
    EXPECT_TRUE(CommandsSeen().empty());

    SetFocus(button.GetHwnd());
    ASSERT_EQ(button.GetHwnd(), GetFocus());
    CommandsSeen().clear();
    EXPECT_EQ(0, SendMessageW(button.GetHwnd(), WM_CHAR, VK_RETURN, 0));
    ASSERT_EQ(1u, CommandsSeen().size());
    EXPECT_EQ(MAKEWPARAM(IDC_PLAIN, 0), CommandsSeen()[0].wParam);
    EXPECT_EQ(reinterpret_cast<LPARAM>(button.GetHwnd()), CommandsSeen()[0].lParam);
}

TEST(ICButtonMessages, EnableIsRememberedNotPassedOn)
{
    ControlDialog dialog;
    ICButton button(dialog.Item(IDC_PLAIN), 0, nullptr);
    EXPECT_EQ(0, SendMessageW(button.GetHwnd(), WM_ENABLE, FALSE, 0));
    EXPECT_FALSE(button.IsEnabledLook());
    SendMessageW(button.GetHwnd(), WM_ENABLE, TRUE, 0);
    EXPECT_TRUE(button.IsEnabledLook());
}

TEST(ICButtonMessages, EraseBackgroundPaintsIntoTheGivenDc)
{
    ControlDialog dialog;
    ICButton button(dialog.Sized(IDC_SAVE, 120, 30), 0, nullptr);
    TestCanvas canvas(120, 30);
    EXPECT_EQ(1, SendMessageW(button.GetHwnd(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc()), 0));
    EXPECT_EQ(kRed, canvas.At(CentreX(button.GetImageRect()), CentreY(button.GetImageRect())));
}

TEST(ICButtonMessages, AnswersTheHintQuery)
{
    ControlDialog dialog;
    std::unique_ptr<ICHint> hint(ICHint::Create(dialog.Get(), nullptr));
    ASSERT_NE(0u, ICHint::GetHintMessage());
    ICButton hinted(dialog.Item(IDC_SAVE), 0, nullptr);
    ICButton plain(dialog.Item(IDC_PLAIN), 0, nullptr);

    ICHintInfo info;
    info.window = hinted.GetHwnd();
    EXPECT_EQ(1, SendMessageW(hinted.GetHwnd(), ICHint::GetHintMessage(), ICHint::QueryParam,
                              reinterpret_cast<LPARAM>(&info)));
    EXPECT_EQ("Save the project", DProps::GetString(info.data, "text"));
    EXPECT_EQ("", DProps::GetString(info.data, "head"));

    ICHintInfo none;
    none.window = plain.GetHwnd();
    EXPECT_EQ(0, SendMessageW(plain.GetHwnd(), ICHint::GetHintMessage(), ICHint::QueryParam,
                              reinterpret_cast<LPARAM>(&none)));
}
