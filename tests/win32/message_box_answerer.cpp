#include "tests/win32/message_box_answerer.h"
#include <stdio.h>

MessageBoxAnswerer::MessageBoxAnswerer(int button)
    : button_(button), thread_(&MessageBoxAnswerer::watch, this)
{
}

MessageBoxAnswerer::~MessageBoxAnswerer()
{
    finish();
}

std::vector<AnsweredBox> MessageBoxAnswerer::finish()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    std::lock_guard<std::mutex> lock(mutex_);
    return boxes_;
}

void MessageBoxAnswerer::watch()
{
    while (!stop_) {
        HWND box = wait_for_window(GetCurrentProcessId(), "Install Brimwave", 50);
        if (!box)
            continue;
        AnsweredBox answered = {read_message_box(box), GetWindow(box, GW_OWNER)};
        {
            std::lock_guard<std::mutex> lock(mutex_);
            boxes_.push_back(answered);
        }
        press_button(box, button_);
        // The same box must not be counted twice while it closes.
        for (int i = 0; i < 250 && IsWindow(box); i++)
            Sleep(20);
    }
}

std::string describe(const std::vector<AnsweredBox> &boxes)
{
    std::string out;
    for (const AnsweredBox &box : boxes) {
        char owner[32];
        snprintf(owner, sizeof owner, "%p", (void *)box.owner);
        out += "['" + box.info.title + "' '" + box.info.text + "' icon " + box.info.icon +
               " owner " + owner + "] ";
    }
    return out.empty() ? "(no message box)" : out;
}
