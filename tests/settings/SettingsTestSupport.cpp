#include "SettingsTestSupport.h"

#include <cstdlib>

namespace tav::test {

Settings FilledSettings() {
    Settings s{};
    Set(s.midiplayer, "C:\\midi\\play.exe");
    Set(s.modplayer, "modplay.exe");
    Set(s.mp3player, "mp3 player.exe");
    Set(s.user, "hero");
    Set(s.passwd, "s3cret");
    Set(s.addy, "mud.example.org");
    Set(s.port, "4000");
    Set(s.logincom, "hero;s3cret;look");
    Set(s.waitsecs, "5");
    Set(s.scrolllines, "500");
    Set(s.inputlines, "100");
    Set(s.bell, "ding.wav");
    for (Flag* f : {&s.minimizeonedit, &s.nomod, &s.hideplayers, &s.downloadall, &s.savepasswd,
                    &s.autowrap, &s.smoothscroll, &s.ignoreredundant, &s.autoterm, &s.autoclient,
                    &s.cursorline, &s.midiinternal, &s.customcolors, &s.visualbell, &s.boardnotify,
                    &s.multiscreen, &s.urlaware, &s.cdmdebug})
        *f = 1;
    s.ignorequeries = 2;
    return s;
}

StoredValues FilledValues() {
    StoredValues v = StoredValues::Defaults();
    auto font = [](FontSpec& f, const std::string& face, int height, int width) {
        Set(f.face, face);
        f.height = height;
        f.width = width;
    };
    font(v.whofont, "Courier New", -13, 7);
    font(v.invfont, "Lucida Console", 12, 6);
    font(v.chanfont, "Terminal", 14, 8);
    font(v.editfont, "Courier", 16, 0);
    font(v.helpfont, "Arial", -11, 5);
    font(v.idfont, "Courier New", 15, 9);
    font(v.brdfont, "Courier New", 13, 8);
    font(v.descfont, "Times New Roman", 12, 6);
    font(v.listfont, "Verdana", -12, 0);
    v.whoontop = v.invontop = 1;
    v.whopos = {10, 20, 310, 420};
    v.gosspos = {-5, 0, 295, 200};
    v.eqpos = {0, 0, 300, 300};
    v.invpos = {100, 100, 250, 400};
    v.helppos = {1, 2, 3, 4};
    v.editorpos = {50, 60, 650, 560};
    v.idpos = {5, 5, 405, 305};
    v.brdpos = {0, 0, 500, 400};
    v.termpos = {0, 0, 640, 400};
    v.scrollpos = {20, 30, 620, 530};
    v.bcolor = MakeColor(0, 0, 64);
    v.tcolor = MakeColor(210, 220, 230);
    Set(v.fkeys[0], "look");
    Set(v.fkeys[1], "score;inventory");
    Set(v.fkeys[10], "cast 'heal' me");
    Set(v.fkeys[11], "say bye");
    for (int i = 0; i < 16; ++i) {
        v.custcolors[i] = MakeColor(i, 2 * i, 255 - i);
        v.mudcolors[i] = 0x00112233u + static_cast<ColorRef>(i);
    }
    return v;
}

std::string Golden(const std::string& name) {
    const char* source = std::getenv("TAV_SOURCE_DIR");
    return ReadBytes(std::filesystem::path(source ? source : ".") / "tests/settings/data" / name);
}

} // namespace tav::test
