// Driving programs from outside: starting, waiting for and ending them,
// finding their windows, reading window texts and pressing buttons.
#include "tests/support/win32_test_support.h"

void ChildProcess::reset()
{
    if (handle)
        CloseHandle(handle);
    if (thread)
        CloseHandle(thread);
    handle = thread = nullptr;
    id = 0;
}

bool start_process(const std::string &command_line, const char *folder, ChildProcess *child,
                   const char *program, bool suspended, HANDLE token)
{
    child->reset();
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::vector<char> line(command_line.begin(), command_line.end());
    line.push_back(0);
    DWORD flags = suspended ? CREATE_SUSPENDED : 0;
    bool started = token ? CreateProcessAsUserA(token, program, line.data(), nullptr, nullptr,
                                                FALSE, flags, nullptr, folder, &startup, &info)
                         : CreateProcessA(program, line.data(), nullptr, nullptr, FALSE, flags,
                                          nullptr, folder, &startup, &info);
    if (!started)
        return false;
    if (suspended)
        child->thread = info.hThread;
    else
        CloseHandle(info.hThread);
    child->handle = info.hProcess;
    child->id = info.dwProcessId;
    return true;
}

void resume_process(ChildProcess *child)
{
    if (child->thread) {
        ResumeThread(child->thread);
        CloseHandle(child->thread);
        child->thread = nullptr;
    }
}

DWORD wait_for_exit(const ChildProcess &child, DWORD timeout_ms)
{
    if (WaitForSingleObject(child.handle, timeout_ms) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(child.handle, &code);
    return code;
}

void kill_process(const ChildProcess &child)
{
    if (child.handle && WaitForSingleObject(child.handle, 0) != WAIT_OBJECT_0) {
        TerminateProcess(child.handle, 99);
        WaitForSingleObject(child.handle, 5000);
    }
}

namespace {
// The 32-bit layouts: the process's PEB, and in its process parameters the
// current folder's DOS path (a UNICODE_STRING).
struct ProcessBasicInformation {
    LONG exit_status;
    DWORD peb;
    ULONG_PTR affinity;
    LONG priority;
    ULONG_PTR id;
    ULONG_PTR parent_id;
};
enum { PEB_PARAMETERS = 0x10, PARAMETERS_CURRENT_FOLDER = 0x24 };
typedef LONG(WINAPI *QueryProcessProc)(HANDLE, int, void *, ULONG, ULONG *);
} // namespace

std::wstring process_current_folder(DWORD process_id)
{
    static_assert(sizeof(void *) == 4, "the layouts above are the 32-bit ones");
    auto query = reinterpret_cast<QueryProcessProc>(reinterpret_cast<void (*)(void)>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, process_id);
    ProcessBasicInformation basic = {};
    DWORD parameters = 0;
    struct {
        USHORT length, maximum;
        DWORD buffer;
    } folder = {};
    WCHAR text[MAX_PATH + 1] = {};
    bool read = process && query && query(process, 0, &basic, sizeof basic, nullptr) == 0 &&
                ReadProcessMemory(process, (void *)(ULONG_PTR)(basic.peb + PEB_PARAMETERS),
                                  &parameters, sizeof parameters, nullptr) &&
                ReadProcessMemory(process, (void *)(ULONG_PTR)(parameters + PARAMETERS_CURRENT_FOLDER),
                                  &folder, sizeof folder, nullptr) &&
                folder.length / 2 <= MAX_PATH &&
                ReadProcessMemory(process, (void *)(ULONG_PTR)folder.buffer, text, folder.length,
                                  nullptr);
    if (process)
        CloseHandle(process);
    if (!read)
        return L"<not read>";
    return text;
}

namespace {
struct WindowSearch {
    DWORD process_id;
    const char *title;
    HWND found;
    std::string list;
};

BOOL CALLBACK find_window(HWND window, LPARAM parameter)
{
    auto *search = reinterpret_cast<WindowSearch *>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->process_id || !IsWindowVisible(window))
        return TRUE;
    std::string text = window_text(window);
    search->list += "'" + text + "' ";
    if (!search->title || text == search->title) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}
} // namespace

HWND wait_for_window(DWORD process_id, const char *title, DWORD timeout_ms)
{
    DWORD start = GetTickCount();
    for (;;) {
        WindowSearch search = {process_id, title, nullptr, ""};
        EnumWindows(find_window, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        if (GetTickCount() - start > timeout_ms)
            return nullptr;
        Sleep(20);
    }
}

std::string describe_windows(DWORD process_id)
{
    WindowSearch search = {process_id, "\x01never", nullptr, ""};
    EnumWindows(find_window, reinterpret_cast<LPARAM>(&search));
    return search.list.empty() ? "(no visible windows)" : search.list;
}

std::string window_text(HWND window)
{
    char text[4096] = "";
    // WM_GETTEXT works across processes, where GetWindowText of a control may not.
    SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

std::string control_text(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    return control ? window_text(control) : "<no control " + std::to_string(id) + ">";
}

void press_button(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
