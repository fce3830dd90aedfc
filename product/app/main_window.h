// Brimwave's main window: a label and a Help button.
#pragma once
#include <windows.h>

// The window class the setup program looks for with FindWindowA to tell
// whether Brimwave is running: it must not change.
#define MAIN_WINDOW_CLASS "Brimwave"

bool register_main_window_class(HINSTANCE instance);

// Creates and shows the main window; NULL on failure.
HWND create_main_window(HINSTANCE instance, int show);

// Runs until the main window is destroyed; the result is the process's exit code.
int run_message_loop(HWND window);
