// What the trigger editor lets through, counted as trigs.ndx will hold it.
#include "triggers/TriggerEditRules.h"
#include "triggers/Trigger.h"

#include <gtest/gtest.h>

namespace tav {
namespace {

TEST(TriggerEditRules, ReactionsAreCountedAndRefusedAsStored) {
    struct Case {
        const char* what;
        std::string reaction;
        std::size_t stored;
        const char* refusal; // part of the message, or null when accepted
    };
    const Case cases[] = {
        {"empty", "", 0, nullptr},
        {"no final line end still gets one", "kill orc", 10, nullptr},
        {"CR LF and LF alike", "a\r\nb\n", 6, nullptr},
        {"an empty line in between", "a\n\nb", 8, nullptr},
        {"exactly full", std::string(253, 'x'), 255, nullptr},
        {"one over", std::string(254, 'x'), 256, "too long: 256"},
        {"one over in line ends", std::string(126, 'x') + "\n" + std::string(126, 'y'), 256,
         "too long: 256"},
        {"'#' starting a later line", "say hi\r\n#quit", 15, "cannot begin with '#'"},
        {"'#' starting the first line", "#", 3, "cannot begin with '#'"},
        {"'#' inside a line", "say #1", 8, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(StoredReactionChars(c.reaction), c.stored);
        const auto problem = CheckTriggerReaction(c.reaction);
        ASSERT_EQ(problem.has_value(), c.refusal != nullptr);
        if (problem) {
            EXPECT_NE(problem->text.find(c.refusal), std::string::npos) << problem->text;
        } else {
            EXPECT_EQ(NormalizeReaction(c.reaction).size(), c.stored)
                << "what is accepted is stored whole";
        }
    }
}

} // namespace
} // namespace tav
