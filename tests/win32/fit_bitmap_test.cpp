// The banner scaled into controls of the two worked sizes, through GDI.
#include <gtest/gtest.h>
#include "services/process.h"
#include "ui/dialog_dispatch.h"
#include "ui/setup_dialogs.h"

namespace {
SIZE fitted_size(int client_width, int client_height)
{
    // A borderless popup's client area is its whole size.
    HWND control = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, client_width, client_height,
                                   nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    HBITMAP banner = static_cast<HBITMAP>(
        LoadImageA(module_handle, MAKEINTRESOURCEA(200), IMAGE_BITMAP, 0, 0, 0));
    SIZE size = {-1, -1};
    HBITMAP copy = banner ? fit_bitmap(banner, control, 0xFFFFFFFF, 0xFFFFFFFF) : nullptr;
    BITMAP info;
    if (copy && GetObjectA(copy, sizeof info, &info)) {
        size.cx = info.bmWidth;
        size.cy = info.bmHeight;
    }
    if (copy)
        DeleteObject(copy);
    DestroyWindow(control);
    return size;
}
} // namespace

TEST(FitBitmap, ScalesTheBannerKeepingItsShape)
{
    SIZE wide = fitted_size(339, 78);
    EXPECT_EQ(wide.cx, 339);
    EXPECT_EQ(wide.cy, 56);
    SIZE flat = fitted_size(600, 50);
    EXPECT_EQ(flat.cx, 300);
    EXPECT_EQ(flat.cy, 50);
}

TEST(FitBitmap, NoBitmapGivesNoCopy)
{
    HWND control = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    EXPECT_EQ(fit_bitmap(nullptr, control, 0xFFFFFFFF, 0xFFFFFFFF), nullptr);
    DestroyWindow(control);
}

namespace {
HBITMAP shown_banner;

// The destination dialog (1000) as the driver shows it, ended once set up.
INT_PTR CALLBACK note_banner_and_close(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    INT_PTR result = destination_dialog_procedure(dialog, message, wparam, lparam);
    if (message == WM_INITDIALOG && EndDialog(dialog, 0))
        shown_banner = (HBITMAP)SendDlgItemMessageA(dialog, 1010, STM_GETIMAGE, IMAGE_BITMAP, 0);
    return result;
}
} // namespace

TEST(FitBitmap, ShowingTheDestinationDialogAgainLeavesNoBannerBehind)
{
    show_modal_dialog(nullptr, 1000, note_banner_and_close);
    HBITMAP first = shown_banner;
    ASSERT_EQ(GetObjectType(first), (DWORD)OBJ_BITMAP);
    show_modal_dialog(nullptr, 1000, note_banner_and_close);
    EXPECT_EQ(GetObjectType(shown_banner), (DWORD)OBJ_BITMAP);
    EXPECT_TRUE(shown_banner == first || GetObjectType(first) == 0) << "the first one leaked";
}
