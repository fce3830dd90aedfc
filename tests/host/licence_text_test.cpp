#include "ui/licence_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string text(licence_text);

TEST(LicenceText, HasTheLengthTheDialogIsLaidOutFor)
{
    EXPECT_EQ(text.size(), 2171u);
}

TEST(LicenceText, BreaksAreCrLfPairsOnly)
{
    size_t pairs = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            ASSERT_TRUE(i + 1 < text.size() && text[i + 1] == '\n')
                << "CR without LF at offset " << i;
            ++pairs;
            ++i;  // skip the LF just checked
        } else if (c == '\n') {
            ADD_FAILURE() << "LF without CR at offset " << i;
        }
    }
    EXPECT_EQ(pairs, 22u);
}

TEST(LicenceText, IsPrintableAsciiBetweenBreaks)
{
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\r' || c == '\n')
            continue;
        EXPECT_TRUE(c >= 0x20 && c <= 0x7E)
            << "byte 0x" << std::hex << unsigned(c) << std::dec << " at offset " << i;
    }
}

// The edit control wraps by itself; stray spaces at a line's end or a break
// at either end of the text would show as ragged lines or an empty first line.
TEST(LicenceText, LinesAreTrimmedAndTextStartsAndEndsWithWords)
{
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.front(), '\r');
    EXPECT_NE(text.front(), ' ');
    EXPECT_NE(text.back(), '\n');
    EXPECT_NE(text.back(), ' ');
    for (size_t pos = text.find("\r\n"); pos != std::string::npos;
         pos = text.find("\r\n", pos + 2)) {
        EXPECT_TRUE(pos == 0 || text[pos - 1] != ' ') << "space before break at " << pos;
        EXPECT_TRUE(pos + 2 >= text.size() || text[pos + 2] != ' ')
            << "space after break at " << pos;
    }
}

}  // namespace
