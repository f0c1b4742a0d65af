#include "settings/SettingsText.h"

#include "settings/LineScanner.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

namespace tav {

namespace {

enum class ItemKind { Text, Password, Flags, Font, Position, Color, Sizes };

// One item of the file: a line, or two for a font. The same list drives writing and
// reading, so the two can never disagree on the order.
struct FileItem {
    ItemKind kind = ItemKind::Text;
    std::string_view key{};
    std::span<char> text{};     // Text, Password; `scrolllines` of Sizes
    std::span<char> text2{};    // `inputlines` of Sizes
    std::vector<Flag*> flags{}; // Flags; the cursor flags of Sizes
    FontSpec* font = nullptr;
    FontItem fontItem = FontItem::Who;
    Rect* rect = nullptr;
    ColorRef* color = nullptr;
    ScreenColor screenColor = ScreenColor::Background;
};

// Most numbers any line holds (the ten sound and window flags).
constexpr std::size_t kMaxLineNumbers = 10;
constexpr std::size_t kPositionNumbers = 4;
constexpr std::size_t kColorNumbers = 3;
constexpr std::size_t kFontNumbers = 2;
constexpr std::size_t kSizesNumbers = 5;

std::vector<FileItem> DescribeItems(Settings& s, StoredValues& v) {
    std::vector<FileItem> items;
    auto text = [&](std::string_view key, std::span<char> field) {
        items.push_back({.kind = ItemKind::Text, .key = key, .text = field});
    };
    auto flags = [&](std::vector<Flag*> list) {
        items.push_back({.kind = ItemKind::Flags, .flags = std::move(list)});
    };
    auto font = [&](std::string_view key, FontSpec& spec, FontItem which) {
        items.push_back({.kind = ItemKind::Font, .key = key, .font = &spec, .fontItem = which});
    };
    auto position = [&](std::string_view key, Rect& rect) {
        items.push_back({.kind = ItemKind::Position, .key = key, .rect = &rect});
    };
    auto color = [&](std::string_view key, ColorRef& value, ScreenColor which) {
        items.push_back(
            {.kind = ItemKind::Color, .key = key, .color = &value, .screenColor = which});
    };

    text("midiplayer:", s.midiplayer);
    text("modplayer:", s.modplayer);
    text("mp3player:", s.mp3player);
    flags({&s.minimizeonedit, &s.nomidi, &s.nomod, &s.nowav, &s.hideplayers, &s.nomp3,
           &s.ignorequeries, &s.ontop, &s.downloadall, &s.savepasswd});
    font("whofont:", v.whofont, FontItem::Who);
    font("invfont:", v.invfont, FontItem::Inv);
    font("eqfont:", v.eqfont, FontItem::Eq);
    font("chanfont:", v.chanfont, FontItem::Chan);
    font("editfont:", v.editfont, FontItem::Edit);
    font("helpfont:", v.helpfont, FontItem::Help);
    flags({&v.whoontop, &v.eqontop, &v.invontop, &v.chanontop});
    position("whopos:", v.whopos);
    position("gosspos:", v.gosspos);
    position("eqpos:", v.eqpos);
    position("invpos:", v.invpos);
    position("helppos:", v.helppos);
    position("editorpos:", v.editorpos);
    text("user:", s.user);
    items.push_back({.kind = ItemKind::Password, .key = "passwd:", .text = s.passwd});
    text("addy:", s.addy);
    text("port:", s.port);
    font("idfont:", v.idfont, FontItem::Id);
    position("idpos:", v.idpos);
    font("brdfont:", v.brdfont, FontItem::Brd);
    position("brdpos:", v.brdpos);
    font("termfont:", v.termfont, FontItem::Term);
    position("termpos:", v.termpos);
    font("scrollfont:", v.scrollfont, FontItem::Scroll);
    position("scrollpos:", v.scrollpos);
    flags({&s.autowrap, &s.appendcr, &s.smoothscroll, &s.explicitmode, &s.ignoreredundant});
    color("bcolor:", v.bcolor, ScreenColor::Background);
    color("tcolor:", v.tcolor, ScreenColor::Text);
    flags({&s.autoterm, &s.autoclient, &s.waitclient});
    text("logincom:", s.logincom);
    text("waitsecs:", s.waitsecs);
    items.push_back({.kind = ItemKind::Sizes,
                     .text = s.scrolllines,
                     .text2 = s.inputlines,
                     .flags = {&s.cursornone, &s.cursorline, &s.cursorblock}});
    text("bell:", s.bell);
    flags({&s.midiinternal, &s.midiexternal});
    font("inputfont:", v.inputfont, FontItem::Input);
    static constexpr std::array<std::string_view, kFunctionKeyCount> kKeyNames = {
        "f1key:", "f2key:", "f3key:", "f4key:",  "f5key:",  "f6key:",
        "f7key:", "f8key:", "f9key:", "f10key:", "f11key:", "f12key:"};
    for (std::size_t i = 0; i < kFunctionKeyCount; ++i)
        text(kKeyNames[i], v.fkeys[i]);
    flags({&s.customcolors});
    flags({&s.noerase});
    flags({&s.neverhidepw, &s.visualbell, &s.boardnotify, &s.multiscreen, &s.enhancedterm,
           &s.urlaware, &s.noautoping, &s.cdmdebug});
    font("descfont:", v.descfont, FontItem::Desc);
    font("exitfont:", v.exitfont, FontItem::Exit);
    font("listfont:", v.listfont, FontItem::List);
    return items;
}

// ---- writing ----

// A field's text up to its NUL, and never past a line feed.
std::string_view FieldText(std::span<const char> field) {
    std::string_view value(field.data(), field.size());
    value = value.substr(0, value.find('\0'));
    return value.substr(0, value.find('\n'));
}

void AppendNumbers(std::string& out, std::initializer_list<std::int64_t> numbers) {
    bool first = true;
    for (std::int64_t n : numbers) {
        if (!first) out += ' ';
        out += std::to_string(n);
        first = false;
    }
    out += '\n';
}

void WriteItem(std::string& out, const FileItem& item, const Settings& s) {
    switch (item.kind) {
    case ItemKind::Text: out.append(item.key).append(FieldText(item.text)) += '\n'; break;
    case ItemKind::Password:
        out.append(item.key).append(s.savepasswd != 0 ? FieldText(item.text) : kPasswordNotSaved) +=
            '\n';
        break;
    case ItemKind::Flags:
        for (std::size_t i = 0; i < item.flags.size(); ++i) {
            if (i > 0) out += ' ';
            out += std::to_string(*item.flags[i]);
        }
        out += '\n';
        break;
    case ItemKind::Font:
        out.append(item.key).append(FieldText(item.font->face)) += '\n';
        AppendNumbers(out, {item.font->height, item.font->width});
        break;
    case ItemKind::Position: {
        const Rect& r = *item.rect;
        out.append(item.key);
        AppendNumbers(
            out, {r.left, r.top, std::int64_t{r.right} - r.left, std::int64_t{r.bottom} - r.top});
        break;
    }
    case ItemKind::Color:
        out.append(item.key);
        AppendNumbers(out, {RedOf(*item.color), GreenOf(*item.color), BlueOf(*item.color)});
        break;
    case ItemKind::Sizes:
        // The two sizes are written as numbers: their texts' decimal values.
        AppendNumbers(out, {TextToNumber(FieldText(item.text)), TextToNumber(FieldText(item.text2)),
                            *item.flags[0], *item.flags[1], *item.flags[2]});
        break;
    }
}

// ---- reading ----

// Copies a value into a fixed-size field, cut so its NUL always fits. The rest of the
// field is cleared so no part of an older, longer value (a password) stays behind.
void SetField(std::span<char> field, std::string_view value) {
    std::size_t n = std::min(value.size(), field.size() - 1);
    value.copy(field.data(), n);
    std::fill(field.begin() + static_cast<std::ptrdiff_t>(n), field.end(), '\0');
}

// A number read into a 16-bit flag keeps its low 16 bits.
Flag ToFlag(int number) {
    return static_cast<Flag>(static_cast<unsigned>(number));
}

int ClampToInt(std::int64_t value) {
    if (value > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

void ReadItem(LineScanner& lines, const FileItem& item, SettingsHost& host) {
    std::optional<std::string_view> line = lines.NextLine();
    if (!line) return;
    std::array<int, kMaxLineNumbers> numbers{};
    switch (item.kind) {
    case ItemKind::Text:
    case ItemKind::Password: SetField(item.text, MatchKey(*line, item.key).rest); break;
    case ItemKind::Flags: {
        std::size_t count = ScanNumbers(*line, std::span(numbers).first(item.flags.size()));
        for (std::size_t i = 0; i < count; ++i)
            *item.flags[i] = ToFlag(numbers[i]);
        break;
    }
    case ItemKind::Font: {
        FontSpec font = *item.font;
        SetField(font.face, MatchKey(*line, item.key).rest);
        std::size_t count = 0;
        if (std::optional<std::string_view> sizes = lines.NextLine())
            count = ScanNumbers(*sizes, std::span(numbers).first(kFontNumbers));
        if (count > 0) font.height = numbers[0];
        if (count > 1) font.width = numbers[1];
        if (font.face[0] == '\0') break; // an empty face keeps the current font
        *item.font = font;
        host.ReplaceFont(item.fontItem, font);
        break;
    }
    case ItemKind::Position: {
        KeyMatch match = MatchKey(*line, item.key);
        if (!match.matched) break;
        if (ScanNumbers(match.rest, std::span(numbers).first(kPositionNumbers)) != kPositionNumbers)
            break;
        *item.rect = {numbers[0], numbers[1], ClampToInt(std::int64_t{numbers[0]} + numbers[2]),
                      ClampToInt(std::int64_t{numbers[1]} + numbers[3])};
        break;
    }
    case ItemKind::Color: {
        KeyMatch match = MatchKey(*line, item.key);
        if (!match.matched) break;
        if (ScanNumbers(match.rest, std::span(numbers).first(kColorNumbers)) != kColorNumbers)
            break;
        *item.color = MakeColor(numbers[0], numbers[1], numbers[2]);
        host.SetScreenColor(item.screenColor, *item.color);
        break;
    }
    case ItemKind::Sizes: {
        // The two sizes go back into their fields as decimal text.
        std::size_t count = ScanNumbers(*line, std::span(numbers).first(kSizesNumbers));
        if (count > 0) SetField(item.text, std::to_string(numbers[0]));
        if (count > 1) SetField(item.text2, std::to_string(numbers[1]));
        for (std::size_t i = 2; i < count; ++i)
            *item.flags[i - 2] = ToFlag(numbers[i]);
        break;
    }
    }
}

} // namespace

std::string WriteSettingsText(const Settings& settings, const StoredValues& values) {
    // The item list points into the record; describe copies so the originals stay const.
    Settings s = settings;
    StoredValues v = values;
    std::string out;
    for (const FileItem& item : DescribeItems(s, v))
        WriteItem(out, item, s);
    return out;
}

void ReadSettingsText(std::string_view text, Settings& settings, StoredValues& values,
                      SettingsHost& host) {
    LineScanner lines(text);
    for (const FileItem& item : DescribeItems(settings, values))
        ReadItem(lines, item, host);
}

} // namespace tav
