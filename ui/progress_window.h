// The modeless window shown while the files are installed: a caption made of
// a title and a status text, a status line, and a progress bar. It has no
// message loop of its own; its caller pumps it one message at a time.
#pragma once
#include <windows.h>
#include <stdint.h>

// The one progress window; valid from its WM_INITDIALOG on, kept after Close.
extern HWND progress_window;

// Shows the window with the bar's range (only the low 16 bits of each bound
// reach the bar) and sets *abort_flag to 0; the window writes 1 there when the
// user confirms an abort, and never reads it. A window that cannot be made is fatal.
void open_progress_window(HWND parent, uint32_t range_min, uint32_t range_max, int *abort_flag);

// NULL title, NULL status and position -1 leave that part as it is. A title
// is shown together with the status: "title  ---  status".
void update_progress_window(const char *title, const char *status, int position);

// Handles at most one waiting message of the window (or its controls); never waits.
void pump_progress_window(void);

void close_progress_window(void);
