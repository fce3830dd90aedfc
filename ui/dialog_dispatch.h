// Dialog messages are dispatched through small constant tables: only the
// messages listed reach a handler, and the first matching entry wins.
#pragma once
#include <windows.h>
#include <stddef.h>

struct DialogDispatchEntry {
    UINT message;
    DLGPROC handler;
};

// The handler of the first entry for message, or 0 when none lists it.
INT_PTR dispatch_dialog_message(const DialogDispatchEntry *table, size_t count, HWND window,
                                UINT message, WPARAM wparam, LPARAM lparam);

// The procedure of the modal dialog being shown; one at a time.
extern DLGPROC current_dialog_procedure;

// The procedure the system calls for every modal dialog; forwards the listed
// messages to current_dialog_procedure with fixed results.
INT_PTR CALLBACK shared_dialog_procedure(HWND window, UINT message, WPARAM wparam,
                                         LPARAM lparam);

// Shows dialog template_id with procedure; the value it ended with. A dialog
// that cannot be created is fatal.
INT_PTR show_modal_dialog(HWND parent, int template_id, DLGPROC procedure);
