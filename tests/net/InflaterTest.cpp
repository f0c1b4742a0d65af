#include "net/Inflater.h"
#include "tests/support/TelnetBytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tav {
namespace {

using test::Compressed;

struct Fed {
    std::string text;
    Inflater::Result last;
    std::size_t end = 0; // where the stream ended in the whole input
};

// Feeds `input` in pieces of `cut` bytes until the stream leaves the Open state.
Fed Feed(std::string_view input, std::size_t cut) {
    Inflater inflater;
    Fed fed;
    for (std::size_t at = 0; at < input.size(); at += cut) {
        fed.last = inflater.Inflate(input.substr(at, cut), [&fed](std::string_view chunk) {
            EXPECT_FALSE(chunk.empty());
            fed.text += chunk;
        });
        if (fed.last.status != Inflater::Status::Open) {
            fed.end = at + fed.last.consumed;
            break;
        }
    }
    return fed;
}

// zlib's two header bytes for `cmf` and the flag bits, with a check that holds.
std::string Header(unsigned char cmf, unsigned char flags) {
    const unsigned char flg = flags + (31 - (cmf * 256u + flags) % 31) % 31;
    return {static_cast<char>(cmf), static_cast<char>(flg)};
}

// What zlib makes, cut anywhere: every byte comes back, and the bytes after a finished
// stream are left to the caller, wherever the cuts fall around the header, the blocks and
// the Adler-32 at the end. Back references reach across reads and chunks.
TEST(Inflater, ReadsZlibStreamsCutAnywhereAndLeavesWhatFollows) {
    std::string story;
    for (int i = 0; i < 3000; ++i)
        story += "The goblin " + std::to_string(i % 97) + " hits you.\r\n";
    story += std::string(40000, '=') + "\r\n";
    const std::string finished = Compressed(story);
    const std::string after = "plain text after the stream";
    for (const std::size_t cut : {std::size_t{1}, std::size_t{3}, std::size_t{700},
                                  std::size_t{1024}, finished.size() + after.size()}) {
        const Fed fed = Feed(finished + after, cut);
        EXPECT_EQ(fed.last.status, Inflater::Status::Ended) << cut;
        EXPECT_EQ(fed.text, story) << cut;
        EXPECT_EQ(fed.end, finished.size()) << cut;
        const Fed open = Feed(Compressed(story, false), cut);
        EXPECT_EQ(open.last.status, Inflater::Status::Open) << cut;
        EXPECT_EQ(open.text, story) << cut;
    }
    // A short stream cut in two at every byte.
    const std::string shortStream = Compressed("HP 10/10> ") + after;
    for (std::size_t first = 0; first <= shortStream.size(); ++first) {
        Inflater inflater;
        std::string text;
        const auto keep = [&text](std::string_view chunk) { text += chunk; };
        Inflater::Result result = inflater.Inflate(shortStream.substr(0, first), keep);
        std::size_t end = result.consumed;
        if (result.status == Inflater::Status::Open) {
            result = inflater.Inflate(shortStream.substr(first), keep);
            end = first + result.consumed;
        }
        EXPECT_EQ(result.status, Inflater::Status::Ended) << first;
        EXPECT_EQ(text, "HP 10/10> ") << first;
        EXPECT_EQ(shortStream.substr(end), after) << first;
    }
}

// One read may inflate to the bound and no further: past it the stream is taken for a
// compression bomb.
TEST(Inflater, OneReadInflatesToItsBoundAndNoFurther) {
    const std::string atBound = Compressed(std::string(Inflater::kMaxOutputPerInput, 'a'));
    const Fed fed = Feed(atBound, atBound.size());
    EXPECT_EQ(fed.last.status, Inflater::Status::Ended);
    EXPECT_EQ(fed.text.size(), Inflater::kMaxOutputPerInput);
    const std::string past = Compressed(std::string(Inflater::kMaxOutputPerInput + 1, 'a'));
    EXPECT_EQ(Feed(past, past.size()).last.status, Inflater::Status::TooLarge);
}

// A damaged stream fails with zlib's words for the fault, whole or a byte at a time, and
// the inflater takes nothing more.
TEST(Inflater, RefusesDamagedStreamsInZlibsWords) {
    const std::string good = Compressed("You are standing in a field.\r\n");
    std::string badTrailer = good;
    badTrailer.back() ^= 1;
    const struct {
        std::string stream;
        const char* error;
    } cases[] = {
        {"\x78\x9d" + good.substr(2), "incorrect header check"},
        {Header(0x77, 0x80) + good.substr(2), "unknown compression method"},
        {Header(0x88, 0x80) + good.substr(2), "invalid window size"},
        {Header(0x78, 0x20) + std::string("\0\0\0\1", 4) + good.substr(2), "need dictionary"},
        {Header(0x78, 0x80) + "\x07", "invalid block type"}, // final block of type 3
        {badTrailer, "incorrect data check"},
    };
    for (const auto& c : cases) {
        for (const std::size_t cut : {std::size_t{1}, c.stream.size()}) {
            Inflater inflater;
            Inflater::Result result;
            for (std::size_t at = 0; at < c.stream.size(); at += cut) {
                result = inflater.Inflate(c.stream.substr(at, cut), [](std::string_view) {});
                if (result.status != Inflater::Status::Open) break;
            }
            EXPECT_EQ(result.status, Inflater::Status::Corrupt) << c.error << " cut " << cut;
            EXPECT_EQ(result.error, c.error) << " cut " << cut;
            const Inflater::Result after = inflater.Inflate(
                good, [](std::string_view) { ADD_FAILURE() << "text after the fault"; });
            EXPECT_EQ(after.status, Inflater::Status::Corrupt);
        }
    }
}

} // namespace
} // namespace tav
