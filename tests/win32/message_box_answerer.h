// Answers the message boxes that code under test shows on this thread: a
// helper thread watches this process for boxes titled "Install Brimwave",
// records each one and presses the given button, so a test never hangs on a
// box it did not expect and can check the ones it did.
#pragma once
#include <windows.h>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>
#include "tests/support/win32_test_support.h"

struct AnsweredBox {
    MessageBoxInfo info;
    HWND owner;
};

class MessageBoxAnswerer {
public:
    explicit MessageBoxAnswerer(int button);
    ~MessageBoxAnswerer();
    // Stops watching and gives every box seen, in order.
    std::vector<AnsweredBox> finish();

private:
    void watch();
    int button_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<AnsweredBox> boxes_;
    std::thread thread_;
};

// For failure messages: each box as its title, text, icon and owner.
std::string describe(const std::vector<AnsweredBox> &boxes);
