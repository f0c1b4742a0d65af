// aliases.cfg as anything may have left it, then a typed line through the command
// expansion with those aliases: the file reads back the same after it is written, every
// alias stays within its bounds, and the commands of a line stay within theirs (or the
// line is refused with nothing sent). With no separator, prefix or alias a line is sent
// as it is. Input: aliases.cfg (its length in the last two bytes, the rules' choice in the
// byte before), then the typed line.
#include "commands/AliasFile.h"
#include "commands/CommandExpander.h"
#include "commands/Speedwalk.h"
#include "fuzz/FuzzSupport.h"
#include "settings/TextMode.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

void CheckExpansion(const tav::Expansion& expansion) {
    std::size_t bytes = 0;
    for (const std::string& command : expansion.commands)
        bytes += command.size() + 1;
    FUZZ_CHECK(expansion.commands.size() <= tav::kMaxExpandedCommands, "bounded commands");
    FUZZ_CHECK(bytes <= tav::kMaxExpandedBytes, "bounded bytes");
    FUZZ_CHECK(expansion.refusal.empty() || expansion.commands.empty(), "a refusal sends nothing");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const std::size_t fileBytes = provider.ConsumeIntegral<std::uint16_t>();
    const auto choice = provider.ConsumeIntegral<std::uint8_t>();
    const std::string file = tav::FromTextMode(provider.ConsumeBytesAsString(fileBytes));
    // A typed line is short; a long one only costs time.
    const std::string typed = provider.ConsumeRemainingBytesAsString().substr(0, 1024);

    const tav::AliasFileContents read = tav::ParseAliasText(file);
    FUZZ_CHECK(read.aliases.size() <= tav::kMaxAliases, "at most kMaxAliases");
    for (const tav::Alias& alias : read.aliases) {
        FUZZ_CHECK(!tav::AliasNameProblem(alias.name), "a usable name");
        FUZZ_CHECK(!tav::AliasBodyProblem(alias.body), "a usable body");
    }
    const std::string written = tav::WriteAliasText(read.aliases, file);
    const tav::AliasFileContents again = tav::ParseAliasText(written);
    FUZZ_CHECK(again.aliases == read.aliases, "the same aliases after a save");
    FUZZ_CHECK(tav::WriteAliasText(again.aliases, written) == written, "saving twice is stable");

    static const char* const kSeparators[] = {"", ";", ";;", "\\"};
    static const char* const kPrefixes[] = {"", ".", "run ", ";"};
    tav::CommandRules rules{
        kSeparators[choice & 3], kPrefixes[(choice >> 2) & 3],
        tav::WalkDirections((choice & 16) ? "n,s,e,w,ne,nw,se,sw,u,d" : "n,north,nn,;,a"),
        read.aliases};
    CheckExpansion(tav::CommandExpander(rules).Expand(typed));

    const tav::Expansion plain = tav::CommandExpander().Expand(typed);
    FUZZ_CHECK(plain.refusal.empty(), "no rules refuse nothing");
    FUZZ_CHECK(plain.commands ==
                   (typed.empty() ? std::vector<std::string>{} : std::vector<std::string>{typed}),
               "no rules send the line as typed");
    return 0;
}
