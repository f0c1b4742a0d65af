#include "client/ClientMessageHandler.h"

#include "client/ClientFiles.h"
#include "client/ClientLink.h"
#include "client/ClientSender.h"
#include "client/ClientSound.h"
#include "client/MessageDecoder.h"
#include "client/PendingEdit.h"
#include "client/StatusBarSink.h"
#include "settings/LogSink.h"
#include "settings/Settings.h"
#include "term/TermServices.h"

#include <algorithm>
#include <string>
#include <utility>

namespace tav {

namespace {

std::string Concat(std::string_view a, std::string_view b, std::string_view c = {}) {
    std::string line(a);
    line += b;
    line += c;
    return line;
}

// The limit reads as MiB when it is a whole number of them.
std::string LimitText(std::uint64_t bytes) {
    constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;
    if (bytes >= kMiB && bytes % kMiB == 0) return std::to_string(bytes / kMiB) + " MiB";
    return std::to_string(bytes) + " bytes";
}

// Said when a reply held more entries than a list takes.
std::string CutIndexLine(std::string_view index) {
    return Concat(index, " cut to its first ", std::to_string(kMaxIndexEntries) + " entries.");
}

} // namespace

void ClientMessageHandler::Log(std::string_view line) {
    s_.log.LogLine(line);
}

bool ClientMessageHandler::Handle(ClientMessage message, ClientLink& link, ClientSender& sender) {
    if (s_.settings.cdmdebug) Log(ReceiveDebugLine(message.Type()));
    const std::optional<IncomingType> type = message.KnownType();
    if (!type) return true;

    switch (*type) {
    case IncomingType::disconnect:
        if (link.IsConnected()) {
            Log("Server terminated client connection.");
            link.Disconnect();
        }
        break;
    case IncomingType::msgbox:
        s_.windows.ShowMessageBox(message.Text1(), kServerMessageTitle);
        break;
    case IncomingType::mapinfo:
        if (message.HasData()) s_.windows.SetMap(DecodeMap(message.Data()));
        break;
    case IncomingType::desctext: ShowText(ClientScreen::Description, message, true); break;
    case IncomingType::exittext: ShowText(ClientScreen::Exits, message, true); break;
    case IncomingType::contenttext: ShowText(ClientScreen::Contents, message, true); break;
    case IncomingType::brdupdate: s_.windows.BoardUpdate(ParseNumber(message.Text1())); break;
    case IncomingType::bindex_reply: {
        bool cut = false;
        auto boards = DecodeBoardIndex(ParseNumber(message.Text1()), message.Data(), &cut);
        if (cut) Log(CutIndexLine("Board index"));
        s_.windows.SetBoardIndex(std::move(boards));
        break;
    }
    case IncomingType::msgindex_reply: {
        bool cut = false;
        auto lines = DecodeMessageIndex(ParseNumber(message.Text1()), message.Data(), &cut);
        if (cut) Log(CutIndexLine("Message index"));
        s_.windows.SetMessageIndex(std::move(lines));
        break;
    }
    case IncomingType::msg_reply: ShowText(ClientScreen::BoardMessage, message, true); break;
    case IncomingType::levelreport: {
        const int level = ParseNumber(message.Text1());
        s_.windows.SetCharacterLevel(level);
        Log("Level reported as " + std::to_string(level) + ".");
        break;
    }
    case IncomingType::idinfo:
        if (message.HasData()) Identification(message);
        break;
    case IncomingType::pingresponse: PingResponse(); break;
    case IncomingType::soundstop:
        Log("Received soundstop from server.");
        s_.sound.StopSound();
        break;
    case IncomingType::helpindex_reply: {
        const auto [entrySize, count] = ParseNumberPair(message.Text1());
        bool cut = false;
        auto topics = DecodeHelpIndex(entrySize, count, message.Data(), &cut);
        if (cut) Log(CutIndexLine("Help index"));
        s_.windows.SetHelpIndex(std::move(topics));
        break;
    }
    case IncomingType::helpfile_reply: ShowText(ClientScreen::HelpText, message, true); break;
    case IncomingType::hitmanamove: {
        const HitManaMove v = ParseHitManaMove(message.Text1());
        s_.windows.SetGauge(kHitGauge, v.hit, v.hitMax);
        s_.windows.SetGauge(kManaGauge, v.mana, v.manaMax);
        s_.windows.SetGauge(kMoveGauge, v.move, v.moveMax);
        s_.windows.SetStatusValues(v);
        break;
    }
    case IncomingType::who_list: ShowText(ClientScreen::Who, message, true); break;
    case IncomingType::channel_txt: ShowText(ClientScreen::Channel, message, false); break;
    case IncomingType::eq_list: ShowText(ClientScreen::Equipment, message, true); break;
    case IncomingType::inv_list: ShowText(ClientScreen::Inventory, message, true); break;
    case IncomingType::text_mesg:
        Log("Server msg:");
        Log(message.Text1());
        Log("");
        break;
    case IncomingType::text_file: return TextFile(message);
    case IncomingType::sound_query: SoundQuery(message, sender); break;
    case IncomingType::sound_file: return SoundFile(message);
    case IncomingType::edit_request: EditRequest(std::move(message)); break;
    case IncomingType::datetime:
        s_.windows.SetTimeAndDate(CutAtLineEnd(message.Text1()), CutAtLineEnd(message.Text2()));
        break;
    }
    return true;
}

void ClientMessageHandler::ShowText(ClientScreen screen, const ClientMessage& message, bool clear) {
    if (!message.HasData()) return;
    if (clear) s_.windows.ClearScreen(screen);
    s_.windows.AppendText(screen, message.DataText());
}

bool ClientMessageHandler::TakeDownload(std::string_view path, std::uint64_t bytes) {
    if (bytes > s_.downloadLimit - std::min(downloaded_, s_.downloadLimit)) {
        Log(Concat("Not written: ", path,
                   " would pass the " + LimitText(s_.downloadLimit) +
                       " this connection may download."));
        return false;
    }
    downloaded_ += bytes;
    return true;
}

bool ClientMessageHandler::TextFile(const ClientMessage& message) {
    const std::string_view name = message.Text1();
    const std::string_view text = message.DataText();
    if (!TakeDownload(ClientFiles::TextPath(name), ClientFiles::TextFileBytes(text))) return true;
    if (!s_.files.WriteText(name, text)) {
        Log(Concat("Unable to open ", ClientFiles::TextPath(name), " for write."));
        return false;
    }
    Log(Concat("Text file: ", name, " written successfully."));
    return true;
}

bool ClientMessageHandler::SoundFile(const ClientMessage& message) {
    Log("Sound File received.");
    const std::string_view name = message.Text1();
    const std::string path = ClientFiles::BinaryPath(name);
    if (!TakeDownload(path, message.Data().size())) return true;
    const ClientFiles::BinaryWrite written = s_.files.WriteBinary(name, message.Data());
    if (!written.opened) {
        Log(Concat("Unable to open ", path, " for write."));
        return false;
    }
    if (!written.complete) Log("TYPE BINARY SOUNDFILE: sound fwrite error.");
    Log(Concat("Sound file: ", path, " written successfully."));
    s_.sound.PlaySound(path);
    return true;
}

void ClientMessageHandler::SoundQuery(const ClientMessage& message, ClientSender& sender) {
    const std::string_view name = message.Text1();
    // A name that cannot be a file under "binary" could never be stored: asking for it
    // would only end the connection when the file arrives.
    if (s_.settings.ignorequeries || !ClientFiles::IsSafeName(name)) {
        Log("Sound query ignored.");
        sender.SendSoundNogo(name);
        return;
    }
    Log("Sound query acknowledged.");
    const std::string path = ClientFiles::BinaryPath(name);
    if (s_.settings.downloadall) {
        Log(Concat("Ignoring cache, downloading ", path, "..."));
        sender.SendSoundGo(name);
    } else if (s_.files.IsCached(name)) {
        sender.SendSoundNogo(name);
        s_.sound.PlaySound(path);
    } else {
        Log(Concat("Downloading ", path, "..."));
        sender.SendSoundGo(name);
    }
}

void ClientMessageHandler::Identification(const ClientMessage& message) {
    const std::string_view name = message.Text1();
    if (ClientFiles::IsSafeName(name)) {
        s_.windows.ShowIdentification(name, s_.files.IdPath(name), message.DataText());
        return;
    }
    // Shown, but never written: the name would leave the text directory.
    Log(Concat("Unable to open ", s_.files.IdPath(name), " for write."));
    s_.windows.ShowIdentification(name, {}, message.DataText());
}

void ClientMessageHandler::PingResponse() {
    // Wrapping 32-bit milliseconds; the difference is read as a signed value.
    const auto elapsed = static_cast<std::int32_t>(static_cast<std::uint32_t>(s_.clock.NowMs()) -
                                                   static_cast<std::uint32_t>(s_.lastPingMs));
    s_.status.SetLatencyText(std::to_string(elapsed / 2) + " ms");
}

void ClientMessageHandler::EditRequest(ClientMessage message) {
    if (!s_.pendingEdit.Offer(std::move(message))) {
        Log("Edit request ignored, already editing...");
        return;
    }
    s_.windows.PostCommand(kEditRequestCommand);
}

} // namespace tav
