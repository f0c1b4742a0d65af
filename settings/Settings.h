#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tav {

// One settings flag: 0 is off, any other value is on.
using Flag = std::uint16_t;

// The current profile's settings: one zero-filled record for the whole program.
// The configuration dialog edits it in place and every subsystem reads it directly,
// so the field order is the dialog's transfer order and must not change. Text fields
// are NUL-terminated fixed-size arrays; use CopyField() to fill them.
struct Settings {
    char midiplayer[256];
    char modplayer[256];
    char mp3player[256];
    char user[256];
    char passwd[256];
    char addy[256];
    char port[16];
    Flag minimizeonedit;
    Flag nomidi;
    Flag nomod;
    Flag nowav;
    Flag hideplayers;
    Flag nomp3;
    Flag ignorequeries;
    Flag ontop;
    Flag downloadall;
    Flag savepasswd;
    Flag autowrap;
    Flag appendcr;
    Flag smoothscroll;
    Flag explicitmode;
    Flag ignoreredundant;
    Flag autoterm;
    Flag autoclient;
    Flag waitclient;
    char logincom[256];
    char waitsecs[16];
    char scrolllines[16];
    char inputlines[16];
    Flag cursornone;
    Flag cursorline;
    Flag cursorblock;
    char bell[256];
    Flag midiinternal;
    Flag midiexternal;
    Flag customcolors;
    Flag noerase;
    Flag neverhidepw;
    Flag visualbell;
    Flag boardnotify;
    Flag multiscreen;
    Flag enhancedterm;
    Flag urlaware;
    Flag noautoping;
    Flag cdmdebug;
};

// Copies text into a fixed-size field, cutting it so the terminating NUL always fits.
template <std::size_t N> void CopyField(char (&field)[N], const char* text) {
    std::size_t i = 0;
    for (; text != nullptr && text[i] != '\0' && i + 1 < N; ++i)
        field[i] = text[i];
    field[i] = '\0';
}

// The text of a fixed-size field: up to its NUL, and never past its end when it has none.
template <std::size_t N> std::string_view FieldView(const char (&field)[N]) {
    std::string_view text(field, N);
    return text.substr(0, text.find('\0'));
}

} // namespace tav
