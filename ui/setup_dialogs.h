// The licence and destination dialogs, shown through show_modal_dialog.
// Both end with 1 to go on and 0 when the user declines or cancels.
#pragma once
#include <windows.h>
#include <stdint.h>

INT_PTR CALLBACK licence_dialog_procedure(HWND dialog, UINT message, WPARAM wparam,
                                          LPARAM lparam);

// On Install/Update copies the folder into the driver's destination buffer.
INT_PTR CALLBACK destination_dialog_procedure(HWND dialog, UINT message, WPARAM wparam,
                                              LPARAM lparam);

// When a Brimwave window is open, says so and returns true: it must be
// closed before its files are replaced.
bool tell_product_is_running(void);

// A copy of bitmap scaled to fill control keeping its aspect ratio; the given
// bitmap is deleted. NULL (and nothing deleted) for a bitmap without area.
HBITMAP fit_bitmap(HBITMAP bitmap, HWND control, uint32_t width_limit, uint32_t height_limit);
