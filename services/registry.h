// Registry values named by one path text. The product-key routines work below
// HKEY_CURRENT_USER\Software\Brimwave and take a path that starts with a
// backslash ("\ProgramDirectory"); the others take a root and a full path.
// A trailing backslash names a key's default value. Every result is a success
// flag; nothing is shown to the user.
#pragma once
#include <windows.h>

bool set_product_value(const char *value_path, const void *data, DWORD size, DWORD type);
// buffer_size 0 asks only for the size. *data_size gets the bytes stored (or needed).
bool query_product_value(const char *value_path, void *buffer, DWORD buffer_size,
                         DWORD *data_size);
bool delete_product_value(const char *value_path);

bool set_registry_value(const char *path, const void *data, DWORD size, DWORD type, HKEY root);
// Below HKEY_LOCAL_MACHINE's uninstall key of the product, as the product ones.
bool set_uninstall_value(const char *value_path, const void *data, DWORD size, DWORD type);
bool delete_uninstall_value(const char *value_path);
bool query_uninstall_value(const char *value_path, void *buffer, DWORD buffer_size,
                           DWORD *data_size);
// Whether this process may write the uninstall entry: its key opened for
// writing, or, where it does not exist yet, its parent key for making it.
// Nothing is changed.
bool can_write_uninstall_entry(void);
bool query_registry_value(const char *path, void *buffer, DWORD buffer_size, HKEY root,
                          DWORD *data_size);
bool delete_registry_value(const char *path, HKEY root);

// Deletes key_path below root with all its sub-keys. True when the key is gone
// (or never existed); false when it stays, also when it cannot be opened.
bool delete_registry_tree(HKEY root, const char *key_path);
