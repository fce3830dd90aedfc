#include "ui/dialog_dispatch.h"
#include "services/process.h"

DLGPROC current_dialog_procedure;

INT_PTR dispatch_dialog_message(const DialogDispatchEntry *table, size_t count, HWND window,
                                UINT message, WPARAM wparam, LPARAM lparam)
{
    for (size_t i = 0; i < count; i++)
        if (table[i].message == message)
            return table[i].handler(window, message, wparam, lparam);
    return FALSE;
}

// TRUE lets the system put the focus on the first tab stop.
static INT_PTR CALLBACK forward_init(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    current_dialog_procedure(window, message, wparam, lparam);
    return TRUE;
}

static INT_PTR CALLBACK swallow_destroy(HWND, UINT, WPARAM, LPARAM)
{
    return TRUE;
}

static INT_PTR CALLBACK forward_and_return_false(HWND window, UINT message, WPARAM wparam,
                                                 LPARAM lparam)
{
    current_dialog_procedure(window, message, wparam, lparam);
    return FALSE;
}

static INT_PTR CALLBACK forward_and_return_result(HWND window, UINT message, WPARAM wparam,
                                                  LPARAM lparam)
{
    return current_dialog_procedure(window, message, wparam, lparam);
}

static const DialogDispatchEntry modal_dispatch_table[] = {
    {WM_INITDIALOG, forward_init},
    {WM_DESTROY, swallow_destroy},
    {WM_COMMAND, forward_and_return_false},
    {WM_DRAWITEM, forward_and_return_result},
    {WM_HSCROLL, forward_and_return_false},
    {WM_VSCROLL, forward_and_return_false},
};

INT_PTR CALLBACK shared_dialog_procedure(HWND window, UINT message, WPARAM wparam,
                                         LPARAM lparam)
{
    return dispatch_dialog_message(modal_dispatch_table,
                                   sizeof modal_dispatch_table / sizeof modal_dispatch_table[0],
                                   window, message, wparam, lparam);
}

INT_PTR show_modal_dialog(HWND parent, int template_id, DLGPROC procedure)
{
    current_dialog_procedure = procedure;
    INT_PTR result = DialogBoxParamA(module_handle, MAKEINTRESOURCEA(template_id), parent,
                                     shared_dialog_procedure, 0);
    if (result == -1)
        fatal_error(general_failure);
    return result;
}
