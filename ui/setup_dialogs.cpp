#include "ui/setup_dialogs.h"
#include "services/shell_folders.h"
#include "driver/setup_state.h"
#include "services/process.h"
#include "services/product.h"
#include "services/text.h"
#include "ui/fit_size.h"
#include "ui/licence_text.h"
#include "ui/resources/resource_ids.h"

enum { CAPTION_SIZE = 256 };

static char caption[CAPTION_SIZE];
static char browse_buffer[MAX_PATH];
static BROWSEINFOA browse_info;

static const char *compose_caption(void)
{
    char *cursor = caption;
    char *end = caption + sizeof caption;
    append_text(&cursor, end, "Install Brimwave") && append_text(&cursor, end, " ") &&
        append_text(&cursor, end, version_label);
    return caption;
}

INT_PTR CALLBACK licence_dialog_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        SendDlgItemMessageA(dialog, IDC_LICENCE_TEXT, WM_SETFONT,
                            (WPARAM)GetStockObject(ANSI_FIXED_FONT), TRUE);
        SetWindowTextA(dialog, compose_caption());
        SetDlgItemTextA(dialog, IDC_LICENCE_TEXT, licence_text);
    } else if (message == WM_COMMAND) {
        if (LOWORD(wparam) == IDOK)
            EndDialog(dialog, 1);
        else if (LOWORD(wparam) == IDCANCEL)
            EndDialog(dialog, 0);
    }
    return FALSE;
}

HBITMAP fit_bitmap(HBITMAP bitmap, HWND control, uint32_t width_limit, uint32_t height_limit)
{
    BITMAP info;
    RECT client;
    uint32_t width, height;
    if (!GetObjectA(bitmap, sizeof info, &info) || !GetClientRect(control, &client) ||
        !fit_size((uint32_t)info.bmWidth, (uint32_t)info.bmHeight,
                  (uint32_t)(client.right - client.left), (uint32_t)(client.bottom - client.top),
                  width_limit, height_limit, &width, &height))
        return NULL;
    return (HBITMAP)CopyImage(bitmap, IMAGE_BITMAP, (int)width, (int)height, LR_COPYDELETEORG);
}

static const char *description_for(SetupMode mode)
{
    switch (mode) {
    case SETUP_UPDATE:
        return "This will update your current version of Brimwave.";
    case SETUP_NEWER:
        return "A newer version of Brimwave is already installed. If you do not wish to replace "
               "your newer version with this older one, click Cancel.";
    default:
        return "This will install Brimwave onto your computer into the specified folder.";
    }
}

// The banner is fitted at the first showing and kept for the whole run: the
// dialog is shown again after every rejected destination, its frame keeps its
// size, and its procedure never sees WM_DESTROY, where a copy per showing
// could be released.
static HBITMAP fitted_banner;
static bool banner_prepared;

static void show_banner(HWND dialog)
{
    HWND picture = GetDlgItem(dialog, IDC_BANNER);
    if (!banner_prepared) {
        banner_prepared = true;
        HBITMAP banner = (HBITMAP)LoadImageA(module_handle, MAKEINTRESOURCEA(IDB_BANNER),
                                             IMAGE_BITMAP, 0, 0, LR_SHARED);
        fitted_banner = banner ? fit_bitmap(banner, picture, 0xFFFFFFFF, 0xFFFFFFFF) : NULL;
        // Fitting deletes the loaded banner only when it succeeds.
        if (banner && !fitted_banner)
            DeleteObject(banner);
    }
    // Without the picture the dialog is shown all the same.
    if (fitted_banner)
        SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)fitted_banner);
}

static void init_destination_dialog(HWND dialog)
{
    // An update or a newer version keeps the folder it is installed in.
    bool locked = setup_mode == SETUP_UPDATE || setup_mode == SETUP_NEWER;

    show_banner(dialog);
    compose_caption();
    SetWindowTextA(dialog, caption);
    SetDlgItemTextA(dialog, IDC_HEADING, caption);
    SetDlgItemTextA(dialog, IDC_DESCRIPTION, description_for(setup_mode));
    SetDlgItemTextA(dialog, IDCANCEL, "&C a n c e l");
    SetDlgItemTextA(dialog, IDOK, setup_mode == SETUP_UPDATE ? "&U p d a t e" : "&I n s t a l l");
    SetDlgItemTextA(dialog, IDC_DESTINATION, destination);
    SendDlgItemMessageA(dialog, IDC_DESTINATION, EM_SETREADONLY, locked, 0);
    EnableWindow(GetDlgItem(dialog, IDC_BROWSE), !locked);
    for (int id = IDC_REQUIREMENT_FIRST; id <= IDC_REQUIREMENT_LAST; id++)
        SendDlgItemMessageA(dialog, id, BM_SETCHECK, BST_CHECKED, 0);
}

bool tell_product_is_running(void)
{
    if (!FindWindowA(MAIN_WINDOW_CLASS, NULL))
        return false;
    show_message("Installation has detected that Brimwave is currently running. Please "
                 "close before installing.",
                 MB_OK | MB_ICONERROR, NULL);
    return true;
}

static void confirm_destination(HWND dialog)
{
    if (tell_product_is_running())
        return;
    GetDlgItemTextA(dialog, IDC_DESTINATION, destination, sizeof destination);
    EndDialog(dialog, 1);
}

static void browse_for_destination(HWND dialog)
{
    browse_info.hwndOwner = dialog;
    browse_info.pidlRoot = NULL;
    browse_info.pszDisplayName = browse_buffer;
    browse_info.lpszTitle = "Destination Directory:";
    browse_info.ulFlags = 0;
    browse_info.lpfn = NULL;
    browse_info.lParam = 0;
    browse_info.iImage = 0;
    LPITEMIDLIST folder = SHBrowseForFolder(&browse_info);
    if (!folder)
        return;
    browse_buffer[0] = 0;
    SHGetPathFromIDList(folder, browse_buffer);
    CoTaskMemFree(folder);
    if (!browse_buffer[0])
        return;

    char *end = browse_buffer + sizeof browse_buffer;
    char *cursor = browse_buffer + bounded_length(browse_buffer, sizeof browse_buffer);
    // A path with no room for "\Brimwave" leaves the edit as it was.
    if ((!ends_with_backslash(browse_buffer) && !append_text(&cursor, end, "\\")) ||
        !append_text(&cursor, end, PRODUCT_FOLDER_NAME))
        return;
    SetDlgItemTextA(dialog, IDC_DESTINATION, browse_buffer);
}

INT_PTR CALLBACK destination_dialog_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        init_destination_dialog(dialog);
    } else if (message == WM_COMMAND) {
        switch (LOWORD(wparam)) {
        case IDOK:
            confirm_destination(dialog);
            break;
        case IDCANCEL:
            EndDialog(dialog, 0);
            break;
        case IDC_BROWSE:
            browse_for_destination(dialog);
            break;
        }
    }
    return FALSE;
}
