// The machine state programs leave: registry values, shell folders and files.
#include "tests/support/win32_test_support.h"
#include <objbase.h>
#include <shlobj.h>
#include <string.h>
#include <algorithm>

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

std::string read_text_value(HKEY root, const char *key, const char *name, DWORD *type,
                            size_t *stored)
{
    DWORD kind = REG_NONE;
    std::vector<unsigned char> data;
    bool found = read_value(root, key, name, &kind, &data);
    if (type)
        *type = kind;
    if (stored)
        *stored = data.size();
    if (!found)
        return "<missing>";
    std::string text(data.begin(), data.end());
    return text.substr(0, text.find('\0'));
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

std::string program_files_folder()
{
    char path[MAX_PATH] = "<no Program Files folder>";
    SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::string default_destination()
{
    return program_files_folder() + "\\Brimwave";
}

bool running_wow64()
{
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

std::string shortcut_path(int csidl)
{
    char path[MAX_PATH] = "<no shell folder>";
    SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path);
    return std::string(path) + "\\" SHORTCUT_NAME;
}

std::wstring wide_shortcut_path(int csidl)
{
    WCHAR path[MAX_PATH] = L"<no shell folder>";
    SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path);
    return std::wstring(path) + L"\\" + widen(SHORTCUT_NAME);
}

std::wstring widen(const std::string &text)
{
    WCHAR wide[2 * MAX_PATH] = L"<too long>";
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, 2 * MAX_PATH);
    return wide;
}

namespace {
// What get(buffer, size) wrote into a buffer filled with a sentinel first:
// a text that is not terminated within the buffer was not written.
template <typename Get> std::string written(Get get)
{
    char buffer[MAX_PATH];
    memset(buffer, 'S', sizeof buffer);
    get(buffer, static_cast<int>(sizeof buffer));
    return memchr(buffer, 0, sizeof buffer) ? buffer : "<not written>";
}
} // namespace

Shortcut read_shortcut(const std::wstring &path)
{
    Shortcut shortcut;
    HRESULT initialised = CoInitialize(nullptr);
    IShellLinkA *link = nullptr;
    IPersistFile *file = nullptr;
    if (CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                         reinterpret_cast<void **>(&link)) == S_OK &&
        link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file)) == S_OK &&
        file->Load(path.c_str(), STGM_READ) == S_OK) {
        shortcut.loaded = true;
        shortcut.target = written(
            [&](char *text, int size) { link->GetPath(text, size, nullptr, SLGP_RAWPATH); });
        shortcut.folder =
            written([&](char *text, int size) { link->GetWorkingDirectory(text, size); });
        shortcut.description =
            written([&](char *text, int size) { link->GetDescription(text, size); });
    }
    if (file)
        file->Release();
    if (link)
        link->Release();
    // S_FALSE entered too; RPC_E_CHANGED_MODE (a multithreaded apartment) did not.
    if (SUCCEEDED(initialised))
        CoUninitialize();
    return shortcut;
}

Shortcut read_shortcut(const std::string &path)
{
    WCHAR wide[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH))
        return Shortcut();
    return read_shortcut(std::wstring(wide));
}

std::string file_contents(const std::string &path)
{
    return file_contents(widen(path));
}

std::string file_contents(const std::wstring &path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string data;
    char chunk[65536];
    DWORD got;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got)
        data.append(chunk, got);
    CloseHandle(file);
    return data;
}

::testing::AssertionResult same_contents(const std::string &path, const std::string &expected)
{
    return same_contents(widen(path), expected);
}

::testing::AssertionResult same_contents(const std::wstring &path, const std::string &expected)
{
    std::string got = file_contents(path), want = file_contents(expected);
    if (want == "<missing>")
        return ::testing::AssertionFailure() << expected << " is missing";
    if (got == want)
        return ::testing::AssertionSuccess();
    size_t at = 0;
    while (at < got.size() && at < want.size() && got[at] == want[at])
        at++;
    return ::testing::AssertionFailure() << path << " (" << got.size() << " bytes) differs from "
                                         << expected << " (" << want.size()
                                         << " bytes) from byte " << at;
}

bool file_exists(const std::string &path)
{
    return file_exists(widen(path));
}

bool file_exists(const std::wstring &path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool folder_exists(const std::string &path)
{
    return folder_exists(widen(path));
}

bool folder_exists(const std::wstring &path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void remove_tree(const std::string &path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string child = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                remove_tree(child);
            else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

std::vector<std::string> folder_entries(const std::string &folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

bool write_file(const std::string &path, const std::string &text)
{
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    bool ok = file != INVALID_HANDLE_VALUE &&
              WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
              written == text.size();
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return ok;
}

// The lines of a log file, without their CR LF.
std::vector<std::string> log_lines(const std::string &path)
{
    std::vector<std::string> lines;
    std::string text = file_contents(path);
    for (size_t at = 0, end; at < text.size(); at = end + 2) {
        end = text.find("\r\n", at);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(at, end - at));
    }
    return lines;
}
