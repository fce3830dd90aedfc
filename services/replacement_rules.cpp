#include "services/replacement_rules.h"
#include "services/text.h"

bool restart_list_names(const char *data, size_t size, const char *full_path)
{
    const size_t wanted = text_length(full_path);
    for (size_t i = 0; i < size; i++) {
        const char *entry = data + i;
        while (i < size && data[i])
            i++;
        size_t length = static_cast<size_t>(data + i - entry);
        if (length > 0 && entry[0] == '!') {
            entry++;
            length--;
        }
        if (length >= 4 && entry[0] == '\\' && entry[1] == '?' && entry[2] == '?' &&
            entry[3] == '\\') {
            entry += 4;
            length -= 4;
        }
        if (length > 0 && length == wanted && same_ignoring_case(entry, full_path, length))
            return true;
    }
    return false;
}

BackupChoice choose_backup_names(bool target_exists, const BackupNameState *states, int count)
{
    BackupChoice choice = {-1, -1};
    for (int i = 0; i < count; i++) {
        if (states[i] == BACKUP_NAME_KEPT && !target_exists && choice.put_back < 0)
            choice.put_back = i;
        if (states[i] == BACKUP_NAME_FREE && choice.use < 0)
            choice.use = i;
    }
    return choice;
}
