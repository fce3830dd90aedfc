// Reading what other programs' windows show: message boxes (with their
// icon), the screen, tree views and child windows.
#include "tests/support/win32_test_support.h"
#include <stdio.h>

namespace {
std::vector<COLORREF> capture(HDC source, int x, int y, int width, int height)
{
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateCompatibleBitmap(source, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = -height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    std::vector<COLORREF> pixels(static_cast<size_t>(width) * height);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO *>(&header),
              DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return pixels;
}

// Icon handles are not shared between processes under Wine, so the icon a
// message box shows is recognised by its pixels: each system icon is drawn
// here on the same background and compared with the screen.
std::string identify_icon(HWND control)
{
    Sleep(200);
    RECT rect;
    GetWindowRect(control, &rect);
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return "";
    HDC screen = GetDC(nullptr);
    std::vector<COLORREF> shown = capture(screen, rect.left, rect.top, width, height);
    struct { LPCSTR id; const char *name; } kinds[] = {
        {IDI_HAND, "error"}, {IDI_ASTERISK, "information"},
        {IDI_QUESTION, "question"}, {IDI_EXCLAMATION, "warning"}};
    std::string best;
    size_t best_matches = 0;
    for (const auto &kind : kinds) {
        HDC memory = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
        HGDIOBJ old = SelectObject(memory, bitmap);
        // A corner is transparent; DIB pixels are BGR, brushes RGB.
        COLORREF corner = shown[0];
        HBRUSH background =
            CreateSolidBrush(RGB(GetBValue(corner), GetGValue(corner), GetRValue(corner)));
        RECT all = {0, 0, width, height};
        FillRect(memory, &all, background);
        DeleteObject(background);
        DrawIconEx(memory, 0, 0, LoadIconA(nullptr, kind.id), 0, 0, 0, nullptr, DI_NORMAL);
        std::vector<COLORREF> drawn = capture(memory, 0, 0, width, height);
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        size_t matches = 0;
        for (size_t i = 0; i < shown.size(); i++)
            matches += drawn[i] == shown[i];
        if (matches > best_matches) {
            best_matches = matches;
            best = kind.name;
        }
    }
    // A picture that resembles none of them well is no system icon.
    if (best_matches * 10 < shown.size() * 9)
        best = "unrecognised (" + best + " " + std::to_string(best_matches) + "/" +
               std::to_string(shown.size()) + ")";
    ReleaseDC(nullptr, screen);
    return best;
}

BOOL CALLBACK read_box_child(HWND child, LPARAM parameter)
{
    auto *info = reinterpret_cast<MessageBoxInfo *>(parameter);
    char name[64] = "";
    GetClassNameA(child, name, sizeof name);
    LONG style = GetWindowLongA(child, GWL_STYLE);
    if (lstrcmpiA(name, "Button") == 0) {
        info->buttons.push_back(GetDlgCtrlID(child));
    } else if (lstrcmpiA(name, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
        info->icon = identify_icon(child);
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

bool save_screenshot(const std::string &path)
{
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    int stride = (width * 3 + 3) & ~3;
    std::vector<unsigned char> pixels(static_cast<size_t>(stride) * height);
    bool ok = GetDIBits(memory, bitmap, 0, height, pixels.data(),
                        reinterpret_cast<BITMAPINFO *>(&header), DIB_RGB_COLORS) == height;
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!ok)
        return false;

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    HANDLE out = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return false;
    DWORD written;
    ok = WriteFile(out, &file, sizeof file, &written, nullptr) &&
         WriteFile(out, &header, sizeof header, &written, nullptr) &&
         WriteFile(out, pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
    CloseHandle(out);
    return ok;
}

namespace {
// The text of a tree item of another process, read through its memory.
std::string tree_item_text(HWND tree, HANDLE process, HTREEITEM item)
{
    struct Remote {
        TVITEMA item;
        char text[260];
    };
    auto *remote = static_cast<Remote *>(
        VirtualAllocEx(process, nullptr, sizeof(Remote), MEM_COMMIT, PAGE_READWRITE));
    if (!remote)
        return "";
    Remote local = {};
    local.item.mask = TVIF_TEXT | TVIF_HANDLE;
    local.item.hItem = item;
    local.item.pszText = remote->text;
    local.item.cchTextMax = sizeof local.text;
    SIZE_T done;
    WriteProcessMemory(process, remote, &local, sizeof local, &done);
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&remote->item));
    ReadProcessMemory(process, remote, &local, sizeof local, &done);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    local.text[sizeof local.text - 1] = 0;
    return local.text;
}
} // namespace

bool select_tree_path(HWND tree, DWORD process_id, const std::vector<std::string> &path)
{
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE,
                                 FALSE, process_id);
    if (!process)
        return false;
    HTREEITEM item = reinterpret_cast<HTREEITEM>(
        SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    bool found = false;
    for (size_t level = 0; item && level < path.size(); level++) {
        const std::string &want = path[level];
        // Items of a level appear once their parent is expanded.
        for (; item; item = reinterpret_cast<HTREEITEM>(SendMessageA(
                         tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
            std::string text = tree_item_text(tree, process, item);
            CharLowerA(&text[0]);
            std::string lower_want = want;
            CharLowerA(&lower_want[0]);
            if (text.find(lower_want) != std::string::npos)
                break;
        }
        if (!item)
            break;
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
        if (level + 1 == path.size()) {
            found = true;
            break;
        }
        SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
        item = reinterpret_cast<HTREEITEM>(
            SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
    }
    CloseHandle(process);
    return found;
}

namespace {
BOOL CALLBACK describe_child(HWND child, LPARAM parameter)
{
    auto *out = reinterpret_cast<std::string *>(parameter);
    char name[64] = "", line[512];
    GetClassNameA(child, name, sizeof name);
    snprintf(line, sizeof line, "%s id=%d style=%08lx ex=%08lx text='%s'\n", name,
             GetDlgCtrlID(child), static_cast<unsigned long>(GetWindowLongA(child, GWL_STYLE)),
             static_cast<unsigned long>(GetWindowLongA(child, GWL_EXSTYLE)),
             window_text(child).c_str());
    *out += line;
    return TRUE;
}

void describe_items(HWND tree, HANDLE process, HTREEITEM item, int level, std::string *out)
{
    for (; item; item = reinterpret_cast<HTREEITEM>(SendMessageA(
                     tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
        *out += std::string(level * 2, ' ') + tree_item_text(tree, process, item) + "\n";
        describe_items(tree, process,
                       reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD,
                                                                reinterpret_cast<LPARAM>(item))),
                       level + 1, out);
    }
}
} // namespace

std::string describe_children(HWND window)
{
    std::string out;
    EnumChildWindows(window, describe_child, reinterpret_cast<LPARAM>(&out));
    return out;
}

std::string describe_tree(HWND tree, DWORD process_id)
{
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE,
                                 FALSE, process_id);
    std::string out;
    describe_items(tree, process,
                   reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)),
                   0, &out);
    CloseHandle(process);
    return out;
}
