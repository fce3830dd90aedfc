#include "services/registry.h"
#include "services/process.h"
#include "services/product.h"
#include "services/registry_path.h"
#include "services/text.h"

// Each value routine keeps its own work area for the whole process.
struct RegistryWorkArea {
    char path[REGISTRY_PATH_SIZE];
    char *value_name;
    HKEY key;
    DWORD size;
    DWORD type;        // filled by queries, never read
    DWORD disposition; // filled by key creation, never read
};

static RegistryWorkArea product_set_area, product_query_area, product_delete_area;
static RegistryWorkArea set_area, query_area, delete_area;

static bool set_value(RegistryWorkArea &area, HKEY root, const char *prefix, const char *path,
                      const void *data, DWORD size, DWORD type)
{
    if (!split_registry_path(area.path, sizeof area.path, prefix, path, &area.value_name))
        return false;
    char no_class[] = "";
    if (RegCreateKeyExA(root, area.path, 0, no_class, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        NULL, &area.key, &area.disposition) != ERROR_SUCCESS)
        return false;
    // A text is stored with its terminating zero, whatever size the caller gave.
    if (type == REG_SZ)
        size = lstrlenA((const char *)data) + 1;
    LONG result = RegSetValueExA(area.key, area.value_name, 0, type, (const BYTE *)data, size);
    RegCloseKey(area.key);
    return result == ERROR_SUCCESS;
}

static bool query_value(RegistryWorkArea &area, HKEY root, const char *prefix, const char *path,
                        void *buffer, DWORD buffer_size, DWORD *data_size)
{
    if (!split_registry_path(area.path, sizeof area.path, prefix, path, &area.value_name))
        return false;
    if (RegOpenKeyExA(root, area.path, 0, KEY_QUERY_VALUE, &area.key) != ERROR_SUCCESS)
        return false;
    LONG result;
    if (buffer_size == 0) {
        area.size = 0xFFFFFFFF;
        result = RegQueryValueExA(area.key, area.value_name, NULL, &area.type, NULL, &area.size);
    } else {
        area.size = buffer_size;
        result = RegQueryValueExA(area.key, area.value_name, NULL, &area.type, (BYTE *)buffer,
                                  &area.size);
    }
    RegCloseKey(area.key);
    if (result != ERROR_SUCCESS)
        return false;
    if (data_size)
        *data_size = area.size;
    return true;
}

static bool delete_value(RegistryWorkArea &area, HKEY root, const char *prefix, const char *path)
{
    if (!split_registry_path(area.path, sizeof area.path, prefix, path, &area.value_name))
        return false;
    if (RegOpenKeyExA(root, area.path, 0, KEY_ALL_ACCESS, &area.key) != ERROR_SUCCESS)
        return false;
    LONG result = RegDeleteValueA(area.key, area.value_name);
    RegCloseKey(area.key);
    return result == ERROR_SUCCESS;
}

bool set_product_value(const char *value_path, const void *data, DWORD size, DWORD type)
{
    return set_value(product_set_area, HKEY_CURRENT_USER, PRODUCT_KEY, value_path, data, size,
                     type);
}

bool query_product_value(const char *value_path, void *buffer, DWORD buffer_size,
                         DWORD *data_size)
{
    return query_value(product_query_area, HKEY_CURRENT_USER, PRODUCT_KEY, value_path, buffer,
                       buffer_size, data_size);
}

bool delete_product_value(const char *value_path)
{
    return delete_value(product_delete_area, HKEY_CURRENT_USER, PRODUCT_KEY, value_path);
}

bool set_registry_value(const char *path, const void *data, DWORD size, DWORD type, HKEY root)
{
    return set_value(set_area, root, "", path, data, size, type);
}

bool set_uninstall_value(const char *value_path, const void *data, DWORD size, DWORD type)
{
    return set_value(set_area, HKEY_LOCAL_MACHINE, UNINSTALL_KEY, value_path, data, size, type);
}

bool query_uninstall_value(const char *value_path, void *buffer, DWORD buffer_size,
                           DWORD *data_size)
{
    return query_value(query_area, HKEY_LOCAL_MACHINE, UNINSTALL_KEY, value_path, buffer,
                       buffer_size, data_size);
}

bool delete_uninstall_value(const char *value_path)
{
    return delete_value(delete_area, HKEY_LOCAL_MACHINE, UNINSTALL_KEY, value_path);
}

bool can_write_uninstall_entry(void)
{
    // With the access the writes ask for.
    HKEY key;
    LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, 0, KEY_ALL_ACCESS, &key);
    if (result == ERROR_FILE_NOT_FOUND) {
        char parent[] = UNINSTALL_KEY;
        *(char *)last_backslash(parent) = 0;
        result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, parent, 0, KEY_CREATE_SUB_KEY, &key);
    }
    if (result != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool query_registry_value(const char *path, void *buffer, DWORD buffer_size, HKEY root,
                          DWORD *data_size)
{
    return query_value(query_area, root, "", path, buffer, buffer_size, data_size);
}

bool delete_registry_value(const char *path, HKEY root)
{
    return delete_value(delete_area, root, "", path);
}

// Sub-key names are read into one buffer shared by every level; each level
// copies the name into its own path buffer before it descends.
static char sub_key_name[REGISTRY_PATH_SIZE];

enum TreeOutcome { TREE_REMOVED, TREE_ABSENT, TREE_KEPT };

static TreeOutcome delete_tree(HKEY root, const char *key_path)
{
    for (;;) {
        // Some registries delete a key together with its sub-keys.
        if (RegDeleteKeyA(root, key_path) == ERROR_SUCCESS)
            return TREE_REMOVED;

        char *path = (char *)GlobalAlloc(GMEM_FIXED, REGISTRY_PATH_SIZE);
        if (!path)
            fatal_error(insufficient_memory);
        HKEY key;
        LONG opened = RegOpenKeyExA(root, key_path, 0, KEY_ALL_ACCESS, &key);
        if (opened != ERROR_SUCCESS) {
            GlobalFree(path);
            // Only a key that is not there is gone; one refused to us stays.
            return opened == ERROR_FILE_NOT_FOUND ? TREE_ABSENT : TREE_KEPT;
        }
        // Deleting a sub-key renumbers the rest, so one pass by increasing
        // index leaves some behind; the next pass takes them. A sub-key found
        // absent by its path is no progress: its name may not survive the
        // trip through the ANSI code page.
        int removed = 0;
        for (DWORD index = 0;; index++) {
            DWORD length = sizeof sub_key_name;
            if (RegEnumKeyExA(key, index, sub_key_name, &length, NULL, NULL, NULL, NULL) !=
                ERROR_SUCCESS)
                break;
            char *cursor = path;
            char *end = path + REGISTRY_PATH_SIZE;
            if (append_text(&cursor, end, key_path) && append_text(&cursor, end, "\\") &&
                append_text(&cursor, end, sub_key_name) &&
                delete_tree(root, path) == TREE_REMOVED)
                removed++;
        }
        RegCloseKey(key);
        GlobalFree(path);
        // A pass that removes nothing would be repeated for ever. Sub-keys
        // that vanished under us may have left the key deletable now.
        if (removed == 0)
            return RegDeleteKeyA(root, key_path) == ERROR_SUCCESS ? TREE_REMOVED : TREE_KEPT;
    }
}

bool delete_registry_tree(HKEY root, const char *key_path)
{
    return delete_tree(root, key_path) != TREE_KEPT;
}
