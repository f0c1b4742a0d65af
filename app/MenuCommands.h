#pragma once

#include <string_view>

namespace tav {

// Command identifiers of the main window: menu items, toolbar buttons, accelerators and
// commands the program posts to itself.
enum MenuCommand : int {
    kCmTermConnect = 5600,
    kCmTermDisconnect = 5601,
    kCmClientConnect = 5602,
    kCmClientDisconnect = 5603,
    kCmTextColor = 5604,
    kCmBkgndColor = 5605,
    kCmTriggers = 5606,
    kCmTermFont = 5607,
    kCmStopSound = 5608,
    kCmConfig = 5609,
    kCmWho = 5610,
    kCmEquipment = 5611,
    kCmInventory = 5612,
    kCmOoc = 5613,
    kCmScrollback = 5614,
    kCmMudCom = 5615,
    kCmMonitor = 5616,
    kCmServerHelp = 5617,
    kCmIdentify = 5618,
    kCmBoards = 5619,
    kCmClientLog = 5620,
    kCmToggleHide = 5621,
    kCmEditRequest = 5624,
    kCmMoreOptions = 5700,
    kCmAliases = 5714,
    kCmTimers = 5710,
    kCmVariables = 5711,
    kCmExportSettings = 5712,
    kCmImportSettings = 5713,
    kCmReloadScripts = 5715,
    kCmScriptConsole = 5716,
    kCmGameInfo = 5717,
    kCmQuickConnect = 5730,
    kCmNewWindow = 5731,
    kCmToolbar = 11842,
    kCmClearScreen = 11843,
    kCmScrollBuffer = 11845,
    kCmRepaint = 11849,
    kCmIgnoreTrigs = 11850,
    kCmCopy = 11851,
    kCmSelectAll = 11852,
    kCmMixer = 11853,
    kCmPasteToMud = 11854,
    kCmSelectedToMud = 11855,
    kCmPasteToMudNl = 11856,
    kCmSaveSelected = 11857,
    kCmBeginLog = 11858,
    kCmEndLog = 11859,
    kCmSelectedToMudNl = 11860,
    kCmCustombar = 11861,
    kCmAddCustomButton = 11862,
    kCmRemoveCustomButton = 11863,
    kCmAbout = 11865,
    kCmProfiles = 11866,
    kCmClientHelp = 11867,
    kCmInputFont = 11868,
    kCmFunctionKeys = 11869,
    kCmRoomFont = 11874,
    kCmExitFont = 11875,
    kCmContentsFont = 11876,
    kCmFind = 11877,
    kCmExit = 24310,
};

// One line of the main menu, in display order. A Popup opens a menu (top level or nested)
// that the matching End closes; a Blank is an empty top-level item.
struct MenuEntry {
    enum class Kind { Popup, Item, Separator, End, Blank };
    Kind kind;
    int id;                 // Item only
    std::string_view text;  // '&' marks the mnemonic; after '\t' the shortcut's text
    std::string_view hint;  // shown in the status bar while the item is highlighted
    std::string_view accel; // accelerator key in portable form ("Ctrl+C"), or empty
    bool checked;           // initial check mark; checkable items only
    bool checkable;
};

namespace menu_detail {
using K = MenuEntry::Kind;
constexpr MenuEntry Popup(std::string_view text) {
    return {K::Popup, 0, text, {}, {}, false, false};
}
constexpr MenuEntry End() {
    return {K::End, 0, {}, {}, {}, false, false};
}
constexpr MenuEntry Sep() {
    return {K::Separator, 0, {}, {}, {}, false, false};
}
constexpr MenuEntry Blank() {
    return {K::Blank, 0, {}, {}, {}, false, false};
}
constexpr MenuEntry Item(int id, std::string_view text, std::string_view hint,
                         std::string_view accel = {}) {
    return {K::Item, id, text, hint, accel, false, false};
}
constexpr MenuEntry Check(int id, std::string_view text, std::string_view hint, bool on) {
    return {K::Item, id, text, hint, {}, on, true};
}
} // namespace menu_detail

// The main menu.
inline constexpr MenuEntry kMainMenu[] = {
    menu_detail::Popup("&Network"),
    menu_detail::Popup("Tav&Term..."),
    menu_detail::Item(kCmTermConnect, "&Connect", "Attempts an TavTerm connection to the MUD"),
    menu_detail::Item(kCmTermDisconnect, "&Disconnect", "Disconnects the TavTerm"),
    menu_detail::End(),
    menu_detail::Popup("Tav&Client..."),
    menu_detail::Item(kCmClientConnect, "&Connect", "Attempts a client connection to the MUD"),
    menu_detail::Item(kCmClientDisconnect, "&Disconnect", "Disconnects the TavClient"),
    menu_detail::End(),
    menu_detail::Item(kCmGameInfo, "Game &information...",
                      "What the game says about itself: its name, players and the rest"),
    menu_detail::Item(kCmQuickConnect, "Connect to a &game...",
                      "Makes a profile for a game and connects to it"),
    menu_detail::Item(kCmNewWindow, "&New window",
                      "Starts another TavClient for another profile or game"),
    menu_detail::Sep(),
    menu_detail::Item(kCmExit, "&Exit", "Exits the TavClient"),
    menu_detail::End(),

    menu_detail::Popup("&Edit"),
    menu_detail::Item(kCmCopy, "&Copy\tCtrl+C", "Copies the selected text into the clipboard",
                      "Ctrl+C"),
    menu_detail::Item(kCmSelectAll, "Select &All\tCtrl+A", "Selects all text in the MUDScreen",
                      "Ctrl+A"),
    menu_detail::Sep(),
    menu_detail::Item(kCmPasteToMud, "Paste to Mud\tCtrl+V",
                      "Sends current clipboard contents to Mud", "Ctrl+V"),
    menu_detail::Item(kCmPasteToMudNl, "Paste to Mud w/nl",
                      "Sends current clipboard contents to Mud with newline"),
    menu_detail::Item(kCmSelectedToMud, "Selected to Mud", "Sends selected text to Mud"),
    menu_detail::Item(kCmSelectedToMudNl, "Selected to Mud w/nl",
                      "Sends selectedt text to Mud with newline"),
    menu_detail::Sep(),
    menu_detail::Item(kCmSaveSelected, "Save selected as...", "Saves selected text as a text file"),
    menu_detail::Sep(),
    menu_detail::Item(kCmScrollBuffer, "&Scroll Buffer...", "Opens the scrollback window"),
    menu_detail::Item(kCmFind, "&Find...\tCtrl+Shift+F", "Finds text in the game text",
                      "Ctrl+Shift+F"),
    menu_detail::End(),

    menu_detail::Popup("&View"),
    menu_detail::Item(kCmWho, "&Who...", "Toggle display of the who window"),
    menu_detail::Item(kCmOoc, "&Ooc...", "Toggle display of the global channel window"),
    menu_detail::Item(kCmEquipment, "&Equipment...", "Toggle display of the equipment window..."),
    menu_detail::Item(kCmInventory, "&Inventory...", "Toggle display of the inventory window"),
    menu_detail::Item(kCmIdentify, "I&dentify...",
                      "Toggle display of the object identification window"),
    menu_detail::Item(kCmMudCom, "&MudCom...", "Display the MUD Command window"),
    menu_detail::Item(kCmClientLog, "&Clientlog...", "Toggle display of the client log window"),
    menu_detail::Item(kCmMonitor, "&HMM Monitor...", "Display the hit/mana/move monitor"),
    menu_detail::Item(kCmBoards, "&Boards...", "Toggle display of MUD board window"),
    menu_detail::Item(kCmServerHelp, "Server &Help...", "Toggle display of the MUD help window"),
    menu_detail::Item(kCmVariables, "&Variables...",
                      "Toggle display of the trigger variables and alias arguments"),
    menu_detail::Item(kCmScriptConsole, "&Script console",
                      "Toggle display of the scripts' output and errors, and run Lua"),
    menu_detail::Sep(),
    menu_detail::Check(kCmToolbar, "&Toolbar", "Toggle display of toolbar", true),
    menu_detail::Check(kCmCustombar, "C&ustombar", "Toggle display of custom button bar", true),
    menu_detail::End(),

    menu_detail::Popup("&Options"),
    menu_detail::Item(kCmProfiles, "&Profiles...\tCtrl+P", "Popup the profile selection dialog",
                      "Ctrl+P"),
    menu_detail::Sep(),
    menu_detail::Popup("&Triggers"),
    menu_detail::Item(kCmTriggers, "&Triggers...    Ctrl+T", "Create and modify MUD triggers",
                      "Ctrl+T"),
    menu_detail::Check(kCmIgnoreTrigs, "&IgnoreTrigs", "Toggle ignoring of triggers", false),
    menu_detail::End(),
    menu_detail::Sep(),
    menu_detail::Item(kCmFunctionKeys, "Function &Keys...\tCtrl+F", "Edit function key assignments",
                      "Ctrl+F"),
    menu_detail::Item(kCmTextColor, "Text &Color...", "Select primary text color for TavTerm"),
    menu_detail::Item(kCmBkgndColor, "&Bkgnd Color...", "Select background color for TavTerm"),
    menu_detail::Item(kCmTermFont, "Term &font...", "Select font for TavTerm"),
    menu_detail::Item(kCmInputFont, "Input font...", "Select font for TavTerm input box"),
    menu_detail::Popup("MultiScreen Fonts"),
    menu_detail::Item(kCmRoomFont, "Room font...", "Select the MultiScreen room font"),
    menu_detail::Item(kCmExitFont, "Exit font... ", "Select the MultiScreen exit font"),
    menu_detail::Item(kCmContentsFont, "Contents font...", "Select the MultiScreen contents font"),
    menu_detail::End(),
    menu_detail::Sep(),
    menu_detail::Item(kCmBeginLog, "Begin &log", "Start logging received text to a file"),
    menu_detail::Item(kCmEndLog, "En&d log", "Stop logging received text"),
    menu_detail::Sep(),
    menu_detail::Item(kCmAddCustomButton, "&Add custom button...", "Add a button to the custombar"),
    menu_detail::Item(kCmRemoveCustomButton, "&Remove custom button...",
                      "Remove a button from the custombar"),
    menu_detail::Sep(),
    menu_detail::Check(kCmToggleHide, "Toggle&Hide", "Toggle between hidden and full view modes",
                       false),
    menu_detail::Item(kCmConfig, "&Config...", "General TavClient configuration"),
    menu_detail::Item(kCmMoreOptions, "M&ore options...",
                      "Text encoding and reconnecting for this profile"),
    menu_detail::Item(kCmAliases, "Al&iases...", "Words that stand for commands in typed lines"),
    menu_detail::Item(kCmTimers, "Tim&ers...", "Commands sent every so many seconds"),
    menu_detail::Item(kCmExportSettings, "E&xport settings...",
                      "Write triggers, timers, buttons and function keys to one file"),
    menu_detail::Item(kCmImportSettings, "Import settin&gs...",
                      "Merge triggers, timers, buttons and function keys from a file"),
    menu_detail::Popup("Scripts"),
    menu_detail::Item(kCmReloadScripts, "&Reload scripts\tCtrl+Shift+R",
                      "Drops what the profile's scripts made and runs init.lua again",
                      "Ctrl+Shift+R"),
    menu_detail::End(),
    menu_detail::Sep(),
    menu_detail::Item(kCmMixer, "&Mixer", "Display default system sound mixer"),
    menu_detail::Item(kCmStopSound, "&StopSound", "Stop Midi/Mod/MP3 sounds from playing"),
    menu_detail::End(),

    menu_detail::Blank(),
    menu_detail::Blank(),

    menu_detail::Popup("&Help"),
    menu_detail::Item(kCmClientHelp, "&Client Help", "Display help on the client"),
    menu_detail::Item(kCmAbout, "&About", "About the TavClient"),
    menu_detail::End(),
};

// Hints of commands that have no menu item (toolbar button, the screen's pop-up menu).
struct CommandHint {
    int id;
    std::string_view hint;
};
inline constexpr CommandHint kExtraHints[] = {
    {kCmScrollback, "Display the term scrollback window"},
    {kCmClearScreen, "Clears the screen"},
    {kCmRepaint, "Repaints the screen"},
};

} // namespace tav
