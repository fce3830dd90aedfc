// The progress window from template 3000 of the linked resources, driven
// through its four routines on the test's own thread, as the install
// sequence drives it. Abort questions are answered from a helper thread.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>
#include "tests/support/win32_test_support.h"
#include "tests/win32/message_box_answerer.h"
#include "ui/progress_window.h"
#include "ui/resources/resource_ids.h"

namespace {
std::string caption() { return window_text(progress_window); }
std::string status_line() { return control_text(progress_window, IDC_PROGRESS_STATUS); }
int bar_position()
{
    return (int)SendDlgItemMessageA(progress_window, IDC_PROGRESS_BAR, PBM_GETPOS, 0, 0);
}

// Lets the window handle what its creation and earlier steps left queued,
// so that a test's own messages are the next ones the pump takes.
void drain_progress_window()
{
    MSG message;
    for (int i = 0; i < 200 && PeekMessageA(&message, progress_window, 0, 0, PM_NOREMOVE); i++)
        pump_progress_window();
}

class ProgressWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        abort_flag = 7;
        open_progress_window(nullptr, 0, 2, &abort_flag);
        ASSERT_TRUE(IsWindow(progress_window));
        drain_progress_window();
    }
    void TearDown() override { close_progress_window(); }
    int abort_flag;
};
} // namespace

TEST_F(ProgressWindow, FirstUpdateOfTheInstallSequence)
{
    update_progress_window("Installing Brimwave", "Working ... ", 0);
    EXPECT_EQ(caption(), "Installing Brimwave  ---  Working ... ");
    EXPECT_EQ(status_line(), "Working ... ");
    EXPECT_EQ(bar_position(), 0);
    EXPECT_TRUE(IsWindowVisible(progress_window));
}

TEST_F(ProgressWindow, NullTextsAndPositionMinusOneKeepWhatIsShown)
{
    struct Step {
        const char *title, *status;
        int position;
        const char *caption, *status_line;
        int bar;
    } steps[] = {
        {"T1", "S1", 1, "T1  ---  S1", "S1", 1},
        {nullptr, "S2", -1, "T1  ---  S1", "S2", 1},
        {nullptr, nullptr, 2, "T1  ---  S1", "S2", 2},
        {nullptr, nullptr, -1, "T1  ---  S1", "S2", 2},
        {nullptr, nullptr, 0, "T1  ---  S1", "S2", 0},
        {"T3", "", -1, "T3  ---  ", "", 0},
        {nullptr, "Working ... Brimwave.exe", 1, "T3  ---  ", "Working ... Brimwave.exe", 1},
    };
    int n = 0;
    for (const Step &step : steps) {
        update_progress_window(step.title, step.status, step.position);
        EXPECT_EQ(caption(), step.caption) << "step " << n;
        EXPECT_EQ(status_line(), step.status_line) << "step " << n;
        EXPECT_EQ(bar_position(), step.bar) << "step " << n;
        n++;
    }
}

TEST_F(ProgressWindow, OverlongCaptionShowsItsFirst255Characters)
{
    struct Case {
        size_t title_length, status_length;
    } cases[] = {{248, 0}, {249, 0}, {250, 10}, {300, 10}, {200, 100}, {10, 400}};
    for (const Case &c : cases) {
        std::string title(c.title_length, 'T'), status(c.status_length, 's');
        std::string composed = title + "  ---  " + status;
        update_progress_window(title.c_str(), status.c_str(), -1);
        EXPECT_EQ(caption(), composed.substr(0, 255))
            << "title " << c.title_length << ", status " << c.status_length;
        EXPECT_EQ(status_line(), status) << "the status line is not cut with the caption";
        // A short caption afterwards shows nothing of the long one.
        update_progress_window("Installing Brimwave", "Working ... ", -1);
        EXPECT_EQ(caption(), "Installing Brimwave  ---  Working ... ");
    }
}

TEST(ProgressWindowOpen, WritesZeroToTheFlagWhateverItHeld)
{
    for (int held : {1, -1, 0x7FFFFFFF, 0}) {
        int flag = held;
        open_progress_window(nullptr, 0, 2, &flag);
        EXPECT_EQ(flag, 0) << "held " << held;
        close_progress_window();
        EXPECT_FALSE(IsWindow(progress_window));
    }
}

TEST(ProgressWindowOpen, RangeReachesTheBarCutTo16Bits)
{
    struct Case {
        uint32_t min, max;
        int low, high;
    } cases[] = {
        {0, 2, 0, 2},
        {0x10000, 0x10002, 0, 2},
        {0x12345, 0x2ABCD, 0x2345, 0xABCD},
        {5, 0xFFFF, 5, 0xFFFF},
        {0xFFFFFFFF, 0x80000003, 0xFFFF, 3},
    };
    for (const Case &c : cases) {
        int flag;
        open_progress_window(nullptr, c.min, c.max, &flag);
        PBRANGE range = {-1, -1};
        SendDlgItemMessageA(progress_window, IDC_PROGRESS_BAR, PBM_GETRANGE, TRUE,
                            (LPARAM)&range);
        EXPECT_EQ(range.iLow, c.low) << std::hex << "open with " << c.min << ".." << c.max;
        EXPECT_EQ(range.iHigh, c.high) << std::hex << "open with " << c.min << ".." << c.max;
        close_progress_window();
    }
}

TEST_F(ProgressWindow, PumpTakesOneMessageOfTheWindowAndLeavesOthersQueued)
{
    HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(other);
    MSG message;
    for (int i = 0; i < 100 && PeekMessageA(&message, other, 0, 0, PM_REMOVE); i++)
        ;
    ASSERT_TRUE(PostMessageA(other, WM_APP + 1, 11, 0));
    ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_APP + 2, 22, 0));

    // Nothing of the window waits: the pump must come back at once every time.
    DWORD start = GetTickCount();
    for (int i = 0; i < 3; i++)
        pump_progress_window();
    EXPECT_LT(GetTickCount() - start, 1000u);

    // One message per call.
    ASSERT_TRUE(PostMessageA(progress_window, WM_APP + 3, 1, 0));
    ASSERT_TRUE(PostMessageA(progress_window, WM_APP + 3, 2, 0));
    pump_progress_window();
    ASSERT_TRUE(PeekMessageA(&message, progress_window, WM_APP + 3, WM_APP + 3, PM_NOREMOVE))
        << "the second message was taken by the same pump";
    EXPECT_EQ(message.wParam, 2u);
    pump_progress_window();
    EXPECT_FALSE(PeekMessageA(&message, progress_window, WM_APP + 3, WM_APP + 3, PM_NOREMOVE));

    EXPECT_TRUE(PeekMessageA(&message, other, WM_APP + 1, WM_APP + 1, PM_REMOVE))
        << "another window's message was taken";
    EXPECT_EQ(message.wParam, 11u);
    EXPECT_TRUE(PeekMessageA(&message, (HWND)-1, WM_APP + 2, WM_APP + 2, PM_REMOVE))
        << "a thread message was taken";
    EXPECT_EQ(message.wParam, 22u);
    DestroyWindow(other);
}

TEST_F(ProgressWindow, EscapeAndTheCloseBoxAskToAbortAndOnlyYesSetsTheFlag)
{
    update_progress_window("Installing Brimwave", "Working ... ", 1);
    // The close box goes through WM_CLOSE, which the dialog manager turns into
    // a posted IDCANCEL: that one needs a second pump.
    struct Step {
        const char *how;
        UINT message;
        WPARAM wparam;
        int pumps;
        int answer;
        int flag_before, flag_after; // the window only ever writes 1, and only on Yes
    } steps[] = {
        {"Escape", WM_KEYDOWN, VK_ESCAPE, 1, IDNO, 0, 0},
        {"Escape", WM_KEYDOWN, VK_ESCAPE, 1, IDYES, 0, 1},
        {"Escape", WM_KEYDOWN, VK_ESCAPE, 1, IDNO, 1, 1}, // a later No does not undo a Yes
        {"close box", WM_SYSCOMMAND, SC_CLOSE, 2, IDNO, 5, 5},
        {"close box", WM_SYSCOMMAND, SC_CLOSE, 2, IDYES, 5, 1},
    };
    for (const Step &step : steps) {
        abort_flag = step.flag_before;
        SCOPED_TRACE(std::string(step.how) + (step.answer == IDYES ? ", answer Yes" : ", answer No"));
        drain_progress_window();
        MessageBoxAnswerer answerer(step.answer);
        ASSERT_TRUE(PostMessageA(progress_window, step.message, step.wparam, 0));
        for (int i = 0; i < step.pumps; i++)
            pump_progress_window();
        std::vector<AnsweredBox> boxes = answerer.finish();
        ASSERT_EQ(boxes.size(), 1u) << describe(boxes);
        EXPECT_EQ(boxes[0].info.text, "Abort?");
        EXPECT_EQ(boxes[0].info.buttons, (std::vector<int>{IDYES, IDNO}));
        EXPECT_EQ(boxes[0].info.icon, "question");
        EXPECT_EQ(boxes[0].owner, progress_window) << "the question belongs to the window";
        EXPECT_EQ(abort_flag, step.flag_after);
        EXPECT_TRUE(IsWindow(progress_window) && IsWindowVisible(progress_window))
            << "the window closed itself";
        EXPECT_TRUE(IsWindowEnabled(progress_window));
        EXPECT_EQ(caption(), "Installing Brimwave  ---  Working ... ");
        EXPECT_EQ(bar_position(), 1);
    }
}
