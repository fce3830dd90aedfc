#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "services/replacement_rules.h"

namespace {
// PendingFileRenameOperations as MoveFileExA leaves it: a source, then its
// destination ("" for a deletion, '!' before one that may be replaced).
const char list[] = "\\??\\C:\\A\\~BW5000.OLD\0\0"
                    "\\??\\C:\\A\\x.tmp\0!\\??\\C:\\A\\y.txt\0";

bool names(const std::string &data, const char *path)
{
    // Exactly as long as the data: nothing past it may be read.
    std::vector<char> exact(data.begin(), data.end());
    return restart_list_names(exact.data(), exact.size(), path);
}
} // namespace

TEST(RestartList, NamesSourcesAndDestinationsInAnyCase)
{
    const std::string data(list, sizeof list); // with its final zeros
    EXPECT_TRUE(names(data, "C:\\A\\~BW5000.OLD"));
    EXPECT_TRUE(names(data, "c:\\a\\~bw5000.old"));
    EXPECT_TRUE(names(data, "C:\\A\\y.txt"));
    EXPECT_TRUE(names(data, "C:\\A\\x.tmp"));
    EXPECT_FALSE(names(data, "C:\\A\\~BW5000.O01"));
    EXPECT_FALSE(names(data, "C:\\A\\~BW5000.OL"));
    EXPECT_FALSE(names(data, "")) << "the empty destination of a deletion is no path";
    // Cut anywhere, unterminated: read only as far as it goes; a last entry
    // without its zero still counts.
    const size_t y_ends = data.find("y.txt") + 5;
    for (size_t size = 0; size < sizeof list; size++)
        EXPECT_EQ(names(data.substr(0, size), "C:\\A\\y.txt"), size >= y_ends) << size;
}

TEST(BackupChoice, TakesTheFirstFreeNameAndPutsAKeptFileBackFirst)
{
    const BackupNameState F = BACKUP_NAME_FREE, P = BACKUP_NAME_PENDING, K = BACKUP_NAME_KEPT;
    struct Case {
        bool target_exists;
        std::vector<BackupNameState> states;
        int put_back, use;
    } cases[] = {
        {true, {F, F}, -1, 0},
        {true, {P, K, F}, -1, 2},   // pending and kept names are passed over
        {true, {P, P}, -1, -1},     // none free
        {false, {P, K, K, F}, 1, 3}, // the target missing: its earlier file comes back
        {false, {F, K}, 1, 0},
        {false, {}, -1, -1},
    };
    for (const Case &c : cases) {
        BackupChoice choice = choose_backup_names(c.target_exists, c.states.data(),
                                                  static_cast<int>(c.states.size()));
        EXPECT_EQ(choice.put_back, c.put_back) << &c - cases;
        EXPECT_EQ(choice.use, c.use) << &c - cases;
    }
}
