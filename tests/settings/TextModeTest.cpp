#include "settings/TextMode.h"

#include <gtest/gtest.h>

#include <string>

namespace tav {
namespace {

struct TextModeCase {
    std::string text;   // as the program holds it
    std::string stored; // as the file holds it
};

// Both directions over the same table: what is written reads back unchanged.
TEST(TextMode, LineEndsBecomeCrLfAndBack) {
    const TextModeCase cases[] = {
        {"", ""},
        {"look\n", "look\r\n"},
        {"a\n\nb", "a\r\n\r\nb"},
        {"\n\n", "\r\n\r\n"},
    };
    for (const TextModeCase& c : cases) {
        EXPECT_EQ(ToTextMode(c.text), c.stored) << c.text;
        EXPECT_EQ(FromTextMode(c.stored), c.text) << c.stored;
    }
}

TEST(TextMode, CrNotBeforeLfIsKeptWhenRead) {
    EXPECT_EQ(FromTextMode("a\rb\r"), "a\rb\r");
    EXPECT_EQ(FromTextMode("a\r\r\nb"), "a\r\nb");
}

TEST(TextMode, OneLineFieldsLoseEveryLineBreak) {
    EXPECT_EQ(WithoutLineBreaks("mud.example.org\r\nport:1"), "mud.example.orgport:1");
    EXPECT_EQ(WithoutLineBreaks("\n\r\r\n"), "");
    EXPECT_EQ(WithoutLineBreaks(";1;who;"), ";1;who;");
}

} // namespace
} // namespace tav
