#include "tests/support/win32_test_support.h"

ChildProcess::~ChildProcess()
{
    if (handle)
        CloseHandle(handle);
}

bool start_process(const std::string &command_line, const char *folder, ChildProcess *child)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::vector<char> line(command_line.begin(), command_line.end());
    line.push_back(0);
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder,
                        &startup, &info))
        return false;
    CloseHandle(info.hThread);
    child->handle = info.hProcess;
    child->id = info.dwProcessId;
    return true;
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

namespace {
struct BoxChildren {
    MessageBoxInfo *info;
};

BOOL CALLBACK read_box_child(HWND child, LPARAM parameter)
{
    auto *info = reinterpret_cast<MessageBoxInfo *>(parameter);
    char name[64] = "";
    GetClassNameA(child, name, sizeof name);
    LONG style = GetWindowLongA(child, GWL_STYLE);
    if (lstrcmpiA(name, "Button") == 0) {
        info->buttons.push_back(GetDlgCtrlID(child));
    } else if (lstrcmpiA(name, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
        HICON icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        struct { LPCSTR id; const char *name; } kinds[] = {
            {IDI_HAND, "error"}, {IDI_ASTERISK, "information"},
            {IDI_QUESTION, "question"}, {IDI_EXCLAMATION, "warning"}};
        for (const auto &kind : kinds)
            if (icon && icon == LoadIconA(nullptr, kind.id))
                info->icon = kind.name;
    } else if (lstrcmpiA(name, "Static") == 0 && info->text.empty()) {
        info->text = window_text(child);
    }
    return TRUE;
}
} // namespace

MessageBoxInfo read_message_box(HWND box)
{
    MessageBoxInfo info;
    info.title = window_text(box);
    EnumChildWindows(box, read_box_child, reinterpret_cast<LPARAM>(&info));
    return info;
}

void delete_key_tree(HKEY root, const char *path)
{
    RegDeleteTreeA(root, path);
    RegDeleteKeyA(root, path);
}

bool write_value(HKEY root, const char *key, const char *name, DWORD type, const void *data,
                 DWORD size)
{
    HKEY handle;
    if (RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG result = RegSetValueExA(handle, name, 0, type, static_cast<const BYTE *>(data), size);
    RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}

bool read_value(HKEY root, const char *key, const char *name, DWORD *type,
                std::vector<unsigned char> *data)
{
    HKEY handle;
    if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    LONG result = RegQueryValueExA(handle, name, nullptr, type, nullptr, &size);
    if (result == ERROR_SUCCESS) {
        data->assign(size, 0);
        result = RegQueryValueExA(handle, name, nullptr, type, data->data(), &size);
        data->resize(size);
    }
    RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}

bool value_exists(HKEY root, const char *key, const char *name)
{
    DWORD type;
    std::vector<unsigned char> data;
    return read_value(root, key, name, &type, &data);
}

bool key_exists(HKEY root, const char *key)
{
    HKEY handle;
    if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}
