// A game's address as a link or the command line gives it ("telnet://host:port", or a
// host and a port as two words; the input's first line end parts them): what is taken is
// a bounded host with nothing that could end it in a link or a file, named after itself,
// and only a sound game passes the dialog's check.
#include "fuzz/FuzzSupport.h"
#include "settings/GamePort.h"
#include "settings/QuickGame.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = bytes.find('\n');
    const std::string_view first = bytes.substr(0, cut);
    const std::string_view second =
        cut == std::string_view::npos ? std::string_view() : bytes.substr(cut + 1);
    const std::optional<tav::QuickGame> game = tav::QuickGameFromAddress(first, second);
    if (!game) return 0;
    const std::string& host = game->host;
    FUZZ_CHECK(!host.empty() && host.size() <= tav::kMaxQuickText, "a host within its bound");
    FUZZ_CHECK(std::none_of(host.begin(), host.end(),
                            [](char c) {
                                return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F ||
                                       c == '/' || c == ':';
                            }),
               "a host with nothing that ends it");
    FUZZ_CHECK(game->name == host, "the game is named after its host");
    if (!tav::CheckQuickGame(*game)) FUZZ_CHECK(tav::IsGamePort(game->port), "a sound port");
    return 0;
}
