// The shared modal dialog procedure, called directly with a recording
// procedure in the current-procedure slot.
#include <gtest/gtest.h>
#include <vector>
#include "ui/dialog_dispatch.h"

namespace {
std::vector<UINT> received;
INT_PTR procedure_result;

INT_PTR CALLBACK recording_procedure(HWND, UINT message, WPARAM, LPARAM)
{
    received.push_back(message);
    return procedure_result;
}
} // namespace

TEST(DialogDispatch, ListedMessagesGetTheirFixedResults)
{
    struct Case {
        UINT message;
        bool forwarded;
        INT_PTR result_when_procedure_gives_0, result_when_procedure_gives_7;
    } cases[] = {
        {WM_INITDIALOG, true, 1, 1},
        {WM_DESTROY, false, 1, 1},
        {WM_COMMAND, true, 0, 0},
        {WM_DRAWITEM, true, 0, 7},
        {WM_HSCROLL, true, 0, 0},
        {WM_VSCROLL, true, 0, 0},
        {WM_CLOSE, false, 0, 0},
        {WM_NOTIFY, false, 0, 0},
        {WM_PAINT, false, 0, 0},
        {WM_COMMAND | 0x10000, false, 0, 0}, // compared as whole 32-bit values
    };
    current_dialog_procedure = recording_procedure;
    for (const Case &c : cases) {
        for (INT_PTR given : {INT_PTR(0), INT_PTR(7)}) {
            received.clear();
            procedure_result = given;
            INT_PTR result = shared_dialog_procedure(nullptr, c.message, 1, 2);
            EXPECT_EQ(result, given ? c.result_when_procedure_gives_7
                                    : c.result_when_procedure_gives_0)
                << "message " << std::hex << c.message;
            EXPECT_EQ(received, c.forwarded ? std::vector<UINT>{c.message} : std::vector<UINT>{})
                << "message " << std::hex << c.message;
        }
    }
}

namespace {
HWND seen_window;
WPARAM seen_wparam;
LPARAM seen_lparam;

INT_PTR CALLBACK remembering_procedure(HWND window, UINT, WPARAM wparam, LPARAM lparam)
{
    seen_window = window;
    seen_wparam = wparam;
    seen_lparam = lparam;
    return 0;
}
} // namespace

TEST(DialogDispatch, ArgumentsReachTheProcedureUnchanged)
{
    current_dialog_procedure = remembering_procedure;
    HWND window = reinterpret_cast<HWND>(0x1234);
    shared_dialog_procedure(window, WM_COMMAND, 0xABCD0001, 0x5678);
    EXPECT_EQ(seen_window, window);
    EXPECT_EQ(seen_wparam, (WPARAM)0xABCD0001);
    EXPECT_EQ(seen_lparam, (LPARAM)0x5678);
}
