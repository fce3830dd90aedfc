// Helpers for tests that run under Wine, the one header tests include:
// driving programs from outside (driving.cpp), reading what their windows
// show (screens.cpp), and the machine state they leave (machine_state.cpp).
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "services/product.h"

// ---- Driving programs (driving.cpp) ----

// A started program. Its handles are closed, not the program ended, when
// it is reset, started again or destroyed; it cannot be copied.
struct ChildProcess {
    HANDLE handle = nullptr;
    HANDLE thread = nullptr; // kept while the process is suspended
    DWORD id = 0;
    ChildProcess() = default;
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;
    ~ChildProcess() { reset(); }
    void reset();
};

// Starts command_line with folder as working folder (nullptr: ours), in
// child, which is reset first. program names the file to run when the
// command line alone does not. A suspended process runs once
// resume_process is called. With a token, the process runs with it.
bool start_process(const std::string &command_line, const char *folder, ChildProcess *child,
                   const char *program = nullptr, bool suspended = false,
                   HANDLE token = nullptr);
void resume_process(ChildProcess *child);
// The exit code, or STILL_ACTIVE when it did not end within timeout_ms.
DWORD wait_for_exit(const ChildProcess &child, DWORD timeout_ms);
void kill_process(const ChildProcess &child);
// The current folder of a running 32-bit process, read from its process
// parameters as the system keeps them ("C:\\A\\", with the backslash), or
// "<not read>": a program's own word on it would need a hook in the program.
std::wstring process_current_folder(DWORD process_id);

// A visible top-level window of process id whose title is title (any title
// when nullptr), or nullptr after timeout_ms.
HWND wait_for_window(DWORD process_id, const char *title, DWORD timeout_ms);
// All visible top-level windows of the process, for failure messages.
std::string describe_windows(DWORD process_id);

std::string window_text(HWND window);
std::string control_text(HWND dialog, int id);
// Presses a dialog's button as a click would.
void press_button(HWND dialog, int id);

// ---- Reading screens (screens.cpp) ----

struct MessageBoxInfo {
    std::string title;
    std::string text;
    std::vector<int> buttons; // ids of the push buttons, in child order
    std::string icon;         // "error", "information", "question", "warning" or ""
};
MessageBoxInfo read_message_box(HWND box);

// Saves the whole screen as a 24-bit BMP file; false when it cannot.
bool save_screenshot(const std::string &path);

// Selects the item of a tree view in another process whose path of item
// texts (from the root) is given, for example {"Desktop", "My Computer"}.
// The texts are compared case-insensitively by prefix.
bool select_tree_path(HWND tree, DWORD process_id, const std::vector<std::string> &path);

// The child windows of window, one per line: class, id, style, text; for
// failure messages.
std::string describe_children(HWND window);
// The texts of a tree view's items in another process, indented by level,
// as far as they are expanded; for failure messages.
std::string describe_tree(HWND tree, DWORD process_id);

// ---- Machine state (machine_state.cpp) ----

// Registry: scratch state that tests clear first.
void delete_key_tree(HKEY root, const char *path);
bool write_value(HKEY root, const char *key, const char *name, DWORD type, const void *data,
                 DWORD size);
// The raw bytes and type of a value; false when it cannot be read.
bool read_value(HKEY root, const char *key, const char *name, DWORD *type,
                std::vector<unsigned char> *data);
// A value's text up to its first zero, or "<missing>" when it cannot be
// read; also its type and how many bytes it holds, when asked for.
std::string read_text_value(HKEY root, const char *key, const char *name, DWORD *type = nullptr,
                            size_t *stored = nullptr);
bool value_exists(HKEY root, const char *key, const char *name);
bool key_exists(HKEY root, const char *key);
// The shell's Program Files folder for this process. Test programs are 32-bit
// like SETUP.EXE, so on 64-bit Windows both get "C:\Program Files (x86)".
std::string program_files_folder();
// Where a fresh installation goes by default.
std::string default_destination();
// This 32-bit process runs on 64-bit Windows (a 64-bit Wine prefix).
bool running_wow64();

// The shortcut file SHORTCUT_NAME in a shell folder, created when missing.
// The folder is asked for by path, not by item list as the setup program does.
std::string shortcut_path(int csidl);
// The same in UTF-16: a profile folder may be named in letters outside the
// ANSI code page, which the ANSI calls give as question marks.
std::wstring wide_shortcut_path(int csidl);
// A text in the ANSI code page, in UTF-16.
std::wstring widen(const std::string &text);
struct Shortcut {
    bool loaded = false; // the texts are read only from a file that loaded
    std::string target, folder, description; // "<not written>" when not given back
};
// A shortcut read back through the shell's IShellLinkA. Any thread may call
// it: it enters COM for the call and leaves it again, and a thread already
// in an apartment, of either kind, stays in it.
Shortcut read_shortcut(const std::string &path);
// The same for a path in UTF-16, which may hold letters outside the ANSI code page.
Shortcut read_shortcut(const std::wstring &path);

// A file's bytes, or "<missing>" when it cannot be opened.
// Each of these also takes a path in UTF-16.
std::string file_contents(const std::string &path);
std::string file_contents(const std::wstring &path);
// Both files exist and hold the same bytes; the failure says how they differ.
::testing::AssertionResult same_contents(const std::string &path, const std::string &expected);
::testing::AssertionResult same_contents(const std::wstring &path, const std::string &expected);
bool file_exists(const std::string &path);
bool file_exists(const std::wstring &path);
bool folder_exists(const std::string &path);
bool folder_exists(const std::wstring &path);
// Deletes a folder with everything in it, read-only files too.
void remove_tree(const std::string &path);
// The names in a folder, sorted.
std::vector<std::string> folder_entries(const std::string &folder);
// A file holding text, replacing any file of that name.
bool write_file(const std::string &path, const std::string &text);
