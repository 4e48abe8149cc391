// Owner-drawn labels: the whole window text shown, picture and hint from the
// template, text changes through WM_SETTEXT, colours when enabled and
// disabled.
#include "ControlDialog.h"
#include "DcFixture.h"

#include "controls/ICHint.h"
#include "controls/ICStatic.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGrey = RGB(128, 128, 128);

class CountingLabel : public ICStatic {
public:
    using ICStatic::ICStatic;
    int paints = 0;
    void AfterPaint(HDC dc) override
    {
        (void)dc;
        ++paints;
    }
};

int Count(const TestCanvas& canvas, COLORREF colour)
{
    int n = 0;
    for (COLORREF c : canvas.Pixels())
        n += c == colour;
    return n;
}

std::string WindowText(HWND window)
{
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

} // namespace

TEST(ICStaticTemplate, ShowsTheWholeWindowTextWithPictureAndHint)
{
    ControlDialog dialog;
    HWND item = dialog.Sized(IDC_LABEL, 200, 30);
    ICStatic label(item, DT_LEFT);
    EXPECT_EQ("Stock length#BSAVE24#Length of the bar", label.GetText());
    EXPECT_EQ(label.GetText(), label.GetCaption());
    EXPECT_EQ("BSAVE24", label.GetImageName());
    EXPECT_EQ("Length of the bar", label.GetHint());
    EXPECT_TRUE(label.HasPicture());
    EXPECT_TRUE(label.IsDoubleBuffered());
    EXPECT_EQ(0, label.GetGroup());
    // The window keeps its text.
    EXPECT_EQ("Stock length#BSAVE24#Length of the bar", WindowText(item));
    // The text always spans the client area from x = 2.
    EXPECT_EQ(2, label.GetTextRect().left);
    EXPECT_EQ(200, label.GetTextRect().right);
    EXPECT_EQ(30, label.GetTextRect().bottom);
}

TEST(ICStaticTemplate, RightAlignedLabelsPlaceNoPicture)
{
    ControlDialog dialog;
    ICStatic label(dialog.Sized(IDC_LABEL, 200, 30), DT_RIGHT);
    EXPECT_TRUE(label.HasPicture());
    EXPECT_EQ(0, label.GetImageRect().right - label.GetImageRect().left);
    ICStatic left(dialog.Item(IDC_LABEL), DT_LEFT);
    EXPECT_EQ(24, left.GetImageRect().right - left.GetImageRect().left);
}

TEST(ICStaticText, WindowTextChangesReachTheLabel)
{
    ControlDialog dialog;
    CountingLabel label(dialog.Sized(IDC_WORDS, 100, 20), DT_LEFT);
    label.paints = 0;
    SetWindowTextA(label.GetHwnd(), "Remnant");
    EXPECT_EQ("Remnant", label.GetText());
    EXPECT_EQ("Remnant", label.GetCaption());
    EXPECT_EQ("Remnant", WindowText(label.GetHwnd()));
    EXPECT_GE(label.paints, 1);

    label.paints = 0;
    label.SetText("Remnant");
    EXPECT_EQ(0, label.paints);
    label.SetText("Offcut");
    EXPECT_EQ(1, label.paints);
    EXPECT_EQ("Offcut", label.GetText());
}

TEST(ICStaticPaint, TextColourWhenEnabledGreyWhenDisabled)
{
    ControlDialog dialog;
    ICStatic label(dialog.Sized(IDC_WORDS, 100, 20), DT_LEFT);
    label.SetText("WWW MMM");
    label.m_textColour = kRed;
    TestCanvas canvas(100, 20);
    ASSERT_TRUE(label.Paint(canvas.dc(), nullptr));
    EXPECT_GT(Count(canvas, kRed), 0);
    EXPECT_EQ(0, Count(canvas, kGrey));

    EnableWindow(label.GetHwnd(), FALSE);
    TestCanvas disabled(100, 20);
    ASSERT_TRUE(label.Paint(disabled.dc(), nullptr));
    EXPECT_EQ(0, Count(disabled, kRed));
    EXPECT_GT(Count(disabled, kGrey), 0);
}

TEST(ICStaticPaint, PictureKeepsItsKeyColourOut)
{
    ControlDialog dialog;
    ICStatic label(dialog.Sized(IDC_LABEL, 200, 30), DT_LEFT);
    TestCanvas canvas(200, 30);
    ASSERT_TRUE(label.Paint(canvas.dc(), nullptr));
    const RECT& image = label.GetImageRect();
    EXPECT_EQ(kRed, canvas.At((image.left + image.right) / 2, (image.top + image.bottom) / 2));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), canvas.At(image.left + 1, image.top + 1));
}

TEST(ICStaticPaint, PrintClientPaintsIntoTheGivenDc)
{
    ControlDialog dialog;
    ICStatic label(dialog.Sized(IDC_WORDS, 100, 20), DT_LEFT);
    TestCanvas canvas(100, 20);
    EXPECT_EQ(1, SendMessageW(label.GetHwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), 0));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), canvas.At(0, 0));
}

TEST(ICStaticPaint, WordDroppingLabelDrawsOnOneLine)
{
    ControlDialog dialog;
    ICStatic label(dialog.Sized(IDC_WORDS, 60, 40), DT_WORDBREAK);
    label.SetText("one two three four five six seven eight nine ten");
    label.m_textColour = kRed;
    TestCanvas canvas(60, 40);
    ASSERT_TRUE(label.Paint(canvas.dc(), nullptr));
    // One line centred vertically: nothing in the top and bottom rows.
    int top = 0;
    int bottom = 0;
    for (int x = 0; x < 60; ++x) {
        top += canvas.At(x, 1) == kRed;
        bottom += canvas.At(x, 38) == kRed;
    }
    EXPECT_GT(Count(canvas, kRed), 0);
    EXPECT_EQ(0, top);
    EXPECT_EQ(0, bottom);
}

TEST(ICStaticMessages, AnswersTheHintQuery)
{
    ControlDialog dialog;
    std::unique_ptr<ICHint> hint(ICHint::Create(dialog.Get(), nullptr));
    ICStatic label(dialog.Item(IDC_LABEL), DT_LEFT);
    ICHintInfo info;
    info.window = label.GetHwnd();
    EXPECT_EQ(1, SendMessageW(label.GetHwnd(), ICHint::GetHintMessage(), ICHint::QueryParam,
                              reinterpret_cast<LPARAM>(&info)));
    EXPECT_EQ("Length of the bar", DProps::GetString(info.data, "text"));
    ICStatic plain(dialog.Item(IDC_WORDS), DT_LEFT);
    EXPECT_EQ(0, SendMessageW(plain.GetHwnd(), ICHint::GetHintMessage(), ICHint::QueryParam,
                              reinterpret_cast<LPARAM>(&info)));
}

TEST(ICStaticMessages, SizeChangeLaysOutAgain)
{
    ControlDialog dialog;
    ICStatic label(dialog.Sized(IDC_LABEL, 200, 30), DT_LEFT);
    SetWindowPos(label.GetHwnd(), nullptr, 0, 0, 180, 50, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(180, label.GetTextRect().right);
    EXPECT_EQ(50, label.GetTextRect().bottom);
    EXPECT_EQ(50 / 2 - 24 / 2, label.GetImageRect().top);
}
