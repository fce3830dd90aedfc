// Brimwave's main window: a label and a Help button.
#pragma once
#include <windows.h>
#include "services/product.h" // MAIN_WINDOW_CLASS

bool register_main_window_class(HINSTANCE instance);

// Creates and shows the main window; NULL on failure.
HWND create_main_window(HINSTANCE instance, int show);

// Runs until the main window is destroyed; the result is the process's exit code.
int run_message_loop(HWND window);
