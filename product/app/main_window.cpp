#include "main_window.h"
#include "help.h"
#include "resource_ids.h"

namespace {

const char WINDOW_TITLE[] = "Brimwave";
const char LABEL_TEXT[] = "Brimwave v1.0 - sample product";

void set_default_font(HWND control)
{
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
}

bool create_controls(HWND window)
{
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
    HWND label = CreateWindowExA(0, "STATIC", LABEL_TEXT, WS_CHILD | WS_VISIBLE | SS_LEFT,
                                 16, 20, 320, 20, window,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_TITLE_LABEL)),
                                 instance, NULL);
    HWND button = CreateWindowExA(0, "BUTTON", "&Help", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                                  16, 56, 88, 26, window,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_HELP_BUTTON)),
                                  instance, NULL);
    if (!label || !button)
        return false;
    set_default_font(label);
    set_default_font(button);
    return true;
}

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_CREATE:
        // -1 makes CreateWindowExA fail rather than show a window without its controls.
        return create_controls(window) ? 0 : -1;
    case WM_COMMAND:
        if (LOWORD(wparam) == IDC_HELP_BUTTON) {
            open_help(window);
            return 0;
        }
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    // WM_CLOSE included: the default destroys the window.
    return DefWindowProcA(window, message, wparam, lparam);
}

} // namespace

bool register_main_window_class(HINSTANCE instance)
{
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = main_window_proc;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_BRIMWAVE));
    window_class.hCursor = LoadCursorA(NULL, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    window_class.lpszClassName = MAIN_WINDOW_CLASS;
    return RegisterClassA(&window_class) != 0;
}

HWND create_main_window(HINSTANCE instance, int show)
{
    HWND window = CreateWindowExA(0, MAIN_WINDOW_CLASS, WINDOW_TITLE,
                                  WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 368, 140, NULL, NULL, instance, NULL);
    if (!window)
        return NULL;
    ShowWindow(window, show);
    UpdateWindow(window);
    return window;
}

int run_message_loop(HWND window)
{
    MSG message;
    // GetMessageA gives -1 on failure, 0 on WM_QUIT.
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        // Tab and the Alt+H mnemonic reach the Help button this way.
        if (IsDialogMessageA(window, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return message.message == WM_QUIT ? static_cast<int>(message.wParam) : 1;
}
