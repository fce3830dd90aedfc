#include "ui/progress_window.h"
#include <commctrl.h>
#include "services/process.h"
#include "services/text.h"
#include "ui/dialog_dispatch.h"
#include "ui/resources/resource_ids.h"

enum { CAPTION_SIZE = 256 };

HWND progress_window;
static int *abort_flag_cell;
static uint32_t bar_range_min;
static uint32_t bar_range_max;
static char caption[CAPTION_SIZE];
static MSG pumped_message;

static INT_PTR CALLBACK initialise_progress(HWND window, UINT, WPARAM, LPARAM)
{
    // This arrives before CreateDialogParamA returns; the state is valid from here on.
    progress_window = window;
    // The bar takes 16-bit bounds; higher bits are dropped.
    SendDlgItemMessageA(window, IDC_PROGRESS_BAR, PBM_SETRANGE, 0,
                        MAKELPARAM(bar_range_min & 0xFFFF, bar_range_max & 0xFFFF));
    return TRUE;
}

static INT_PTR CALLBACK ignore_destroy(HWND, UINT, WPARAM, LPARAM)
{
    return TRUE;
}

// The template has no button: IDCANCEL comes from Escape and the close box.
// The answer is only reported; the caller decides what an abort means.
static INT_PTR CALLBACK ask_to_abort(HWND window, UINT, WPARAM wparam, LPARAM)
{
    if (LOWORD(wparam) == IDCANCEL &&
        show_message("Abort?", MB_YESNO | MB_ICONQUESTION, window) == IDYES)
        *abort_flag_cell = 1;
    return TRUE;
}

static const DialogDispatchEntry progress_dispatch_table[] = {
    {WM_INITDIALOG, initialise_progress},
    {WM_DESTROY, ignore_destroy},
    {WM_COMMAND, ask_to_abort},
};

static INT_PTR CALLBACK progress_dialog_procedure(HWND window, UINT message, WPARAM wparam,
                                                  LPARAM lparam)
{
    return dispatch_dialog_message(
        progress_dispatch_table, sizeof progress_dispatch_table / sizeof progress_dispatch_table[0],
        window, message, wparam, lparam);
}

void open_progress_window(HWND parent, uint32_t range_min, uint32_t range_max, int *abort_flag)
{
    bar_range_min = range_min;
    bar_range_max = range_max;
    abort_flag_cell = abort_flag;
    *abort_flag = 0;
    HWND window = CreateDialogParamA(module_handle, MAKEINTRESOURCEA(IDD_PROGRESS), parent,
                                     progress_dialog_procedure, 0);
    if (!window)
        fatal_error(general_failure);
    progress_window = window;
}

void update_progress_window(const char *title, const char *status, int position)
{
    if (title) {
        // A caption longer than the buffer shows its first 255 characters: the
        // title, then as much of the separator and status as fits.
        char *cursor = caption;
        char *end = caption + sizeof caption;
        if (append_text(&cursor, end, title) && append_text(&cursor, end, "  ---  "))
            append_text(&cursor, end, status ? status : "");
        SetWindowTextA(progress_window, caption);
    }
    if (status)
        SetDlgItemTextA(progress_window, IDC_PROGRESS_STATUS, status);
    if (position != -1)
        SendDlgItemMessageA(progress_window, IDC_PROGRESS_BAR, PBM_SETPOS, (WPARAM)position, 0);
}

void pump_progress_window(void)
{
    // Filtered to the window, so messages of other windows stay queued.
    // Without the window (a quiet run) no message of another is taken.
    if (progress_window && PeekMessageA(&pumped_message, progress_window, 0, 0, PM_REMOVE))
        IsDialogMessageA(progress_window, &pumped_message);
}

void close_progress_window(void)
{
    DestroyWindow(progress_window);
}
