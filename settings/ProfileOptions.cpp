#include "settings/ProfileOptions.h"

#include "settings/AtomicFile.h"
#include "settings/LineScanner.h"
#include "settings/ProfileFileNames.h"
#include "settings/TextMode.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace tav {

namespace {

constexpr std::string_view kEncodingKey = "encoding";
constexpr std::string_view kReconnectKey = "autoreconnect";
constexpr std::string_view kNegotiateKey = "negotiate";
constexpr std::string_view kTlsKey = "tls";
constexpr std::string_view kTlsPortKey = "tlsport";
constexpr std::string_view kSeparatorKey = "separator";
constexpr std::string_view kSpeedwalkKey = "speedwalk";
constexpr std::string_view kWalkDirectionsKey = "speedwalkdirs";
constexpr std::string_view kGaPromptsKey = "gaprompts";
constexpr std::string_view kColoursKey = "colours";
constexpr std::string_view kTabCompleteKey = "tabcomplete";
constexpr std::string_view kLongLinesKey = "longlines";
constexpr std::string_view kPasteInputKey = "pasteinput";
constexpr std::string_view kOtherGameKey = "othergame";
constexpr std::string_view kEchoColouredKey = "echocolour";
constexpr std::string_view kEchoColourKey = "echorgb";
constexpr std::string_view kBuiltInModKey = "builtinmod";
constexpr std::string_view kBuiltInMp3Key = "builtinmp3";
constexpr std::string_view kConnectLoginKey = "connectlogin";
constexpr std::string_view kWideScreenKey = "widescreen";
constexpr std::string_view kPartsColours = "parts";
constexpr std::string_view kFullColours = "full";

struct EncodingName {
    TextEncoding encoding;
    std::string_view word;
};
constexpr std::array<EncodingName, 5> kEncodingNames{{
    {TextEncoding::SevenBit, "7bit"},
    {TextEncoding::Latin1, "latin1"},
    {TextEncoding::Utf8, "utf8"},
    {TextEncoding::Gb18030, "gb18030"},
    {TextEncoding::Big5, "big5"},
}};

// Spaces, tabs and a stray CR around a key or value edited by hand do not matter.
std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// A line split at its first '='; a line without one has no key.
struct KeyValue {
    std::string_view key;
    std::string_view value;
};
std::optional<KeyValue> SplitLine(std::string_view line) {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return KeyValue{Trim(line.substr(0, eq)), Trim(line.substr(eq + 1))};
}

std::string FlagValue(bool on) {
    return on ? "1" : "0";
}

// "0" or "1"; anything else leaves `flag` as it was.
void ReadFlag(std::string_view value, bool& flag) {
    if (value == "0" || value == "1") flag = value == "1";
}

bool IsPrintable(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c > ' ' && c < 0x7F; });
}

} // namespace

bool IsCommandMark(std::string_view text) {
    return text.size() <= kMaxCommandMark && IsPrintable(text) &&
           text.find('\\') == std::string_view::npos;
}

std::string_view EncodingWord(TextEncoding encoding) {
    for (const EncodingName& name : kEncodingNames)
        if (name.encoding == encoding) return name.word;
    return kEncodingNames[0].word;
}

std::optional<TextEncoding> EncodingFromWord(std::string_view word) {
    for (const EncodingName& name : kEncodingNames)
        if (name.word == word) return name.encoding;
    return std::nullopt;
}

std::string ProfileOptionsPath(std::string_view root, std::string_view profile) {
    return std::string(root) + "/profiles/" + std::string(profile) + "/" +
           std::string(kOptionsFileName);
}

ProfileOptions ReadProfileOptionsText(std::string_view text) {
    ProfileOptions options;
    LineScanner lines(text);
    while (const auto line = lines.NextLine()) {
        const auto pair = SplitLine(*line);
        if (!pair) continue;
        if (pair->key == kEncodingKey) {
            if (const auto encoding = EncodingFromWord(pair->value)) options.encoding = *encoding;
        } else if (pair->key == kReconnectKey) {
            ReadFlag(pair->value, options.autoReconnect);
        } else if (pair->key == kNegotiateKey) {
            ReadFlag(pair->value, options.negotiate);
        } else if (pair->key == kTlsKey) {
            ReadFlag(pair->value, options.tls);
        } else if (pair->key == kTlsPortKey) {
            int port = -1;
            const auto [end, error] =
                std::from_chars(pair->value.data(), pair->value.data() + pair->value.size(), port);
            if (error == std::errc() && end == pair->value.data() + pair->value.size() &&
                port >= 0 && port <= kMaxTlsPort)
                options.tlsPort = port;
        } else if (pair->key == kSeparatorKey) {
            if (IsCommandMark(pair->value)) options.separator = pair->value;
        } else if (pair->key == kSpeedwalkKey) {
            if (IsCommandMark(pair->value)) options.speedwalk = pair->value;
        } else if (pair->key == kWalkDirectionsKey) {
            if (pair->value.size() <= kMaxWalkDirectionsText &&
                std::all_of(pair->value.begin(), pair->value.end(),
                            [](char c) { return c >= ' ' && c < 0x7F; }))
                options.speedwalkDirections = pair->value;
        } else if (pair->key == kGaPromptsKey) {
            ReadFlag(pair->value, options.gaPrompts);
        } else if (pair->key == kColoursKey) {
            // "basic" is what the first builds wrote for the default.
            if (pair->value == kPartsColours || pair->value == "basic")
                options.colours = ColourMode::Basic;
            if (pair->value == kFullColours) options.colours = ColourMode::Full;
        } else if (pair->key == kTabCompleteKey) {
            ReadFlag(pair->value, options.tabComplete);
        } else if (pair->key == kLongLinesKey) {
            ReadFlag(pair->value, options.longLines);
        } else if (pair->key == kPasteInputKey) {
            ReadFlag(pair->value, options.pasteToInput);
        } else if (pair->key == kOtherGameKey) {
            ReadFlag(pair->value, options.otherGame);
        } else if (pair->key == kEchoColouredKey) {
            ReadFlag(pair->value, options.echoColoured);
        } else if (pair->key == kEchoColourKey) {
            if (const auto colour = ParseColorText(pair->value)) options.echoColour = *colour;
        } else if (pair->key == kBuiltInModKey) {
            ReadFlag(pair->value, options.builtInPlayers.mod);
        } else if (pair->key == kBuiltInMp3Key) {
            ReadFlag(pair->value, options.builtInPlayers.mp3);
        } else if (pair->key == kConnectLoginKey) {
            ReadFlag(pair->value, options.connectLogin);
        } else if (pair->key == kWideScreenKey) {
            ReadFlag(pair->value, options.wideScreen);
        }
    }
    return options;
}

std::string WriteProfileOptionsText(const ProfileOptions& options, std::string_view existing) {
    struct Known {
        std::string_view key;
        std::string value;
        bool always; // written even at its default, which only the first two keys are
    };
    const ProfileOptions defaults;
    const Known known[] = {
        {kEncodingKey, std::string(EncodingWord(options.encoding)), true},
        {kReconnectKey, FlagValue(options.autoReconnect), true},
        {kNegotiateKey, FlagValue(options.negotiate), options.negotiate != defaults.negotiate},
        {kTlsKey, FlagValue(options.tls), options.tls != defaults.tls},
        {kTlsPortKey, std::to_string(options.tlsPort), options.tlsPort != defaults.tlsPort},
        {kSeparatorKey, options.separator, options.separator != defaults.separator},
        {kSpeedwalkKey, options.speedwalk, options.speedwalk != defaults.speedwalk},
        {kWalkDirectionsKey, options.speedwalkDirections,
         options.speedwalkDirections != defaults.speedwalkDirections},
        {kColoursKey,
         std::string(options.colours == ColourMode::Full ? kFullColours : kPartsColours),
         options.colours != defaults.colours},
        {kTabCompleteKey, FlagValue(options.tabComplete),
         options.tabComplete != defaults.tabComplete},
        {kGaPromptsKey, FlagValue(options.gaPrompts), options.gaPrompts != defaults.gaPrompts},
        {kLongLinesKey, FlagValue(options.longLines), options.longLines != defaults.longLines},
        {kPasteInputKey, FlagValue(options.pasteToInput),
         options.pasteToInput != defaults.pasteToInput},
        {kOtherGameKey, FlagValue(options.otherGame), options.otherGame != defaults.otherGame},
        {kEchoColouredKey, FlagValue(options.echoColoured),
         options.echoColoured != defaults.echoColoured},
        {kEchoColourKey, ColorText(options.echoColour), options.echoColour != defaults.echoColour},
        {kBuiltInModKey, FlagValue(options.builtInPlayers.mod),
         options.builtInPlayers.mod != defaults.builtInPlayers.mod},
        {kBuiltInMp3Key, FlagValue(options.builtInPlayers.mp3),
         options.builtInPlayers.mp3 != defaults.builtInPlayers.mp3},
        {kConnectLoginKey, FlagValue(options.connectLogin),
         options.connectLogin != defaults.connectLogin},
        {kWideScreenKey, FlagValue(options.wideScreen), options.wideScreen != defaults.wideScreen},
    };
    bool written[std::size(known)] = {};
    std::string text;
    LineScanner lines(existing);
    while (const auto line = lines.NextLine()) {
        bool replaced = false;
        if (const auto pair = SplitLine(*line)) {
            for (std::size_t k = 0; k < std::size(known); ++k) {
                if (pair->key != known[k].key) continue;
                // A key written twice by hand keeps only its first line.
                if (!written[k]) text += std::string(known[k].key) + "=" + known[k].value + "\n";
                written[k] = replaced = true;
            }
        }
        if (!replaced) {
            text += *line;
            text += '\n';
        }
    }
    for (std::size_t k = 0; k < std::size(known); ++k)
        if (!written[k] && known[k].always)
            text += std::string(known[k].key) + "=" + known[k].value + "\n";
    return text;
}

ProfileOptions LoadProfileOptions(const std::string& path) {
    const std::optional<std::string> text = ReadTextFile(path);
    return text ? ReadProfileOptionsText(*text) : ProfileOptions{};
}

bool SaveProfileOptions(const std::string& path, const ProfileOptions& options) {
    const std::optional<std::string> existing = ReadTextFile(path);
    return WriteFileAtomically(path, WriteProfileOptionsText(options, existing.value_or("")));
}

} // namespace tav
