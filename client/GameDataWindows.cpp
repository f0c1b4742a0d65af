#include "client/GameDataWindows.h"

#include "client/MessageDecoder.h"
#include "screen/TextDecoder.h"

#include <algorithm>
#include <climits>

namespace tav {

namespace {

int Clamped(const std::optional<long>& value) {
    return static_cast<int>(std::clamp<long>(value.value_or(0), INT_MIN, INT_MAX));
}

// Every field the update has replaces the kept one.
void Merge(GameVitals& known, const GameVitals& update) {
    for (auto field : {&GameVitals::hp, &GameVitals::maxHp, &GameVitals::mana, &GameVitals::maxMana,
                       &GameVitals::moves, &GameVitals::maxMoves})
        if (update.*field) known.*field = update.*field;
}

} // namespace

GameDataWindows::GameDataWindows(ClientWindows& windows, std::function<bool()> clientConnected,
                                 std::function<TextEncoding()> encoding)
    : windows_(windows), clientConnected_(std::move(clientConnected)),
      encoding_(std::move(encoding)) {}

void GameDataWindows::Vitals(const GameVitals& vitals) {
    Merge(known_, vitals);
    if (!Active()) return;
    const HitManaMove values{Clamped(known_.hp),    Clamped(known_.maxHp),
                             Clamped(known_.mana),  Clamped(known_.maxMana),
                             Clamped(known_.moves), Clamped(known_.maxMoves)};
    windows_.SetStatusValues(values);
    struct Gauge {
        int id;
        int value, maximum;
        bool known;
    };
    const Gauge gauges[] = {
        {kHitGauge, values.hit, values.hitMax, known_.hp && known_.maxHp},
        {kManaGauge, values.mana, values.manaMax, known_.mana && known_.maxMana},
        {kMoveGauge, values.move, values.moveMax, known_.moves && known_.maxMoves},
    };
    for (const Gauge& gauge : gauges)
        if (gauge.known) windows_.SetGauge(gauge.id, gauge.value, gauge.maximum);
}

void GameDataWindows::Room(const GameRoom& room) {
    if (!Active()) return;
    // Names and exits are shown as they read: a sequence in them would act on the pane.
    windows_.ClearScreen(ClientScreen::Description);
    windows_.AppendText(ClientScreen::Description, PaneText(room.name, Controls::Removed) + "\r\n");
    std::string exits;
    for (const std::string& exit : room.exits) {
        const std::string name = PaneText(exit, Controls::Removed);
        if (name.empty()) continue;
        if (!exits.empty()) exits += ' ';
        exits += name;
    }
    windows_.ClearScreen(ClientScreen::Exits);
    windows_.AppendText(ClientScreen::Exits, exits + "\r\n");
}

void GameDataWindows::ChannelText(const GameChannelText& text) {
    if (!Active()) return;
    // Channel text often carries the game's colour sequences: they are kept for the pane.
    windows_.AppendText(ClientScreen::Channel, PaneText(text.text, Controls::EscapeKept) + "\r\n");
}

std::string GameDataWindows::PaneText(std::string_view utf8, Controls controls) const {
    std::string latin1;
    while (!utf8.empty()) {
        const Utf8Step step = DecodeUtf8(utf8);
        if (step.kind == Utf8Step::Kind::Incomplete) break;
        utf8.remove_prefix(std::max<std::size_t>(step.length, 1));
        if (step.kind != Utf8Step::Kind::Char) {
            latin1.push_back('?');
            continue;
        }
        const char32_t c = step.codePoint;
        // Line breaks inside the text would start lines the pane cannot tell from ours;
        // C0, DEL and C1 controls are dropped (ESC too unless kept for colours).
        const bool control = c < 0x20 || (c >= 0x7F && c < 0xA0);
        if (control && !(c == 0x1B && controls == Controls::EscapeKept)) continue;
        latin1.push_back(CellCharacter(c));
    }
    return Latin1ToGameBytes(latin1, encoding_ ? encoding_() : TextEncoding::Latin1);
}

} // namespace tav
