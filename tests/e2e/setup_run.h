// End-to-end tests start the real SETUP.EXE from the medium (drive D:) and
// drive its windows from outside, as a person would.
#pragma once
#include <gtest/gtest.h>
#include <string>
#include "tests/support/win32_test_support.h"

extern const char caption[];       // "Install Brimwave v1.0"

class SetupRun : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts SETUP.EXE as a user does from the medium: "D:\SETUP.EXE" in D:\.
    void start(const std::string &command_line = "D:\\SETUP.EXE", const char *folder = "D:\\",
               const char *program = nullptr);
    // The setup program's dialog titled title that has control id.
    HWND wait_for_dialog(const char *title, int control_id, DWORD timeout_ms = 15000);
    HWND wait_for_licence();
    HWND wait_for_destination();
    // Agrees to the licence and waits for the destination dialog.
    HWND pass_licence();
    HWND wait_for_message_box(const char *title, DWORD timeout_ms = 15000);
    // Types text into the destination edit and presses Install.
    void confirm_destination(HWND dialog, const std::string &text);
    DWORD wait_for_exit(DWORD timeout_ms = 15000);
    // A screenshot in the folder named by SCREENSHOT_DIR, when it is set.
    void screenshot(const std::string &name);

    // The per-user values an earlier installation leaves.
    void store_previous_installation(const char *directory, DWORD version);

    ChildProcess setup_;
};

// A copy of D:\SETUP.EXE in derived_folder (C:\derived\, emptied first),
// its payload resources changed by tests/support/derive_medium.cpp's
// arguments changes; its path.
extern const char derived_folder[];
std::string derive_copy(const std::string &changes);

// The image of a just started, suspended SETUP.EXE is the shipped one (but on
// the test medium E:), and it runs under WoW64 exactly when the prefix is
// 64-bit.
void expect_shipped_image(const ChildProcess &process);

// Closes every Brimwave window and waits for its process to end.
void close_product_windows();
