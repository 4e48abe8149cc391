// The background picture: a bitmap resource scaled to the control's width,
// painted on erase, with a valid update region afterwards.
#include "ControlDialog.h"
#include "DcFixture.h"

#include "controls/ICBack.h"

#include <gtest/gtest.h>

namespace {

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kBlue = RGB(0, 0, 255);

DProps ImageBag(const char* name)
{
    DProps bag;
    bag.Set("rsrc", name, nullptr, true);
    return bag;
}

} // namespace

TEST(ICBackImage, StartsDetachedAndRefusesNoWindow)
{
    ICBack back;
    EXPECT_EQ(nullptr, back.GetHwnd());
    EXPECT_TRUE(back.IsDoubleBuffered());
    EXPECT_FALSE(back.SetImage(nullptr, ImageBag("BACK")));
    EXPECT_EQ(nullptr, back.GetBitmap());
}

TEST(ICBackImage, LoadsTheNamedBitmap)
{
    ControlDialog dialog;
    ICBack back;
    ASSERT_TRUE(back.SetImage(dialog.Sized(IDC_BACK, 80, 20), ImageBag("BACK")));
    EXPECT_EQ(dialog.Item(IDC_BACK), back.GetHwnd());
    ASSERT_NE(nullptr, back.GetBitmap());
    EXPECT_EQ(40, back.GetBitmapRect().right);
    EXPECT_EQ(10, back.GetBitmapRect().bottom);
    EXPECT_EQ("BACK", DProps::GetString(back.GetImageBag(), "rsrc"));
}

TEST(ICBackImage, EmptyOrMissingNameGivesNoPicture)
{
    ControlDialog dialog;
    ICBack empty;
    EXPECT_TRUE(empty.SetImage(dialog.Item(IDC_BACK), DProps()));
    EXPECT_EQ(nullptr, empty.GetBitmap());
    ICBack missing;
    EXPECT_TRUE(missing.SetImage(dialog.Item(IDC_LABEL), ImageBag("NOSUCHPICTURE")));
    EXPECT_EQ(nullptr, missing.GetBitmap());
    TestCanvas canvas(20, 20);
    EXPECT_TRUE(missing.Paint(canvas.dc(), nullptr));
}

TEST(ICBackPaint, PictureIsScaledToTheWidth)
{
    ControlDialog dialog;
    ICBack back;
    ASSERT_TRUE(back.SetImage(dialog.Sized(IDC_BACK, 80, 20), ImageBag("BACK")));
    TestCanvas canvas(80, 20);
    EXPECT_EQ(1, SendMessageW(back.GetHwnd(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc()), 0));
    // 40 x 10 pixels, left half red, right half blue, drawn twice as large.
    EXPECT_TRUE(Near(kRed, canvas.At(10, 5)));
    EXPECT_TRUE(Near(kRed, canvas.At(30, 15)));
    EXPECT_TRUE(Near(kBlue, canvas.At(50, 5)));
    EXPECT_TRUE(Near(kBlue, canvas.At(75, 15)));
}

TEST(ICBackPaint, PaintLeavesTheRegionValid)
{
    ControlDialog dialog(true);
    ICBack back;
    ASSERT_TRUE(back.SetImage(dialog.Item(IDC_BACK), ImageBag("BACK")));
    InvalidateRect(back.GetHwnd(), nullptr, TRUE);
    EXPECT_EQ(0, SendMessageW(back.GetHwnd(), WM_PAINT, 0, 0));
    RECT update;
    EXPECT_FALSE(GetUpdateRect(back.GetHwnd(), &update, FALSE));
    EXPECT_FALSE(back.DrawForeground(nullptr, nullptr));
}

TEST(ICBackLifetime, TheBitmapGoesWithTheControl)
{
    ControlDialog dialog;
    HBITMAP bitmap = nullptr;
    {
        ICBack back;
        ASSERT_TRUE(back.SetImage(dialog.Item(IDC_BACK), ImageBag("BACK")));
        bitmap = back.GetBitmap();
        ASSERT_EQ(static_cast<DWORD>(OBJ_BITMAP), GetObjectType(bitmap));
        HBITMAP other = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), "BSAVE24", IMAGE_BITMAP, 0, 0, 0));
        ASSERT_TRUE(back.SetBitmap(other));
        EXPECT_EQ(0u, GetObjectType(bitmap));
        bitmap = other;
        back.Detach();
        EXPECT_EQ(0u, GetObjectType(bitmap));
        EXPECT_EQ(nullptr, back.GetBitmap());
        ASSERT_TRUE(back.SetImage(dialog.Item(IDC_BACK), ImageBag("BACK")));
        bitmap = back.GetBitmap();
    }
    EXPECT_EQ(0u, GetObjectType(bitmap));
}
