#pragma once

#include "settings/ConfigValidation.h"
#include "settings/Settings.h"

#include <QDialog>

#include <functional>
#include <vector>

class QAbstractButton;
class QCheckBox;
class QLineEdit;
class QPushButton;

namespace tav {

// The configuration dialog "TavClient Configuration": one control per field of the
// settings record, in the record's order. Run shows a record's values, and on OK writes
// every control back into it. The player and bell buttons choose files (the player ones
// list programs only); the MIDI and autoconnect boxes hold each other in check (see
// ApplyConfigInterlock). One-line fields never keep a line break, and OK keeps no text a
// field could not store. A "Built-in" box beside the MOD and MP3 player fields chooses the
// program's own player instead; its program field then rests.
class tmarrowcfg : public QDialog {
    Q_OBJECT
public:
    explicit tmarrowcfg(QWidget* parent = nullptr);
    ~tmarrowcfg() override;

    // Shows `record`, runs modally; 1 for OK (record updated), 2 for Cancel (unchanged).
    int Run(Settings& record);
    // The same, with the built-in player choices beside the record.
    int Run(Settings& record, BuiltInPlayers& builtIn);
    // The two halves of Run, for the flow and for tests.
    void Load(const Settings& record, BuiltInPlayers builtIn = {});
    void Store(Settings& record) const;
    BuiltInPlayers BuiltIn() const;
    // OK is refused, with a message, while a field holds a character Latin-1 lacks.
    void done(int result) override;

    // What "Colors..." runs; the button stays disabled until one is given.
    void SetColorsAction(std::function<void()> action);

    QCheckBox& Box(ConfigBox box) const;
    QPushButton& ColorsButton() const { return *colors_; }
    QCheckBox& BuiltInModBox() const { return *builtInMod_; }
    QCheckBox& BuiltInMp3Box() const { return *builtInMp3_; }

private:
    struct Field;
    enum class Browse { MidiPlayer, ModPlayer, Mp3Player, Bell };

    void Build();
    void OnBoxClicked(ConfigBox clicked);
    void OnBrowse(Browse which);
    void ShowBuiltInChoices();

    std::vector<Field> fields_; // in the record's order
    QCheckBox* midiInternal_ = nullptr;
    QCheckBox* midiExternal_ = nullptr;
    QCheckBox* autoClient_ = nullptr;
    QCheckBox* waitClient_ = nullptr;
    QLineEdit* midiPlayer_ = nullptr;
    QLineEdit* modPlayer_ = nullptr;
    QLineEdit* mp3Player_ = nullptr;
    QCheckBox* builtInMod_ = nullptr;
    QCheckBox* builtInMp3_ = nullptr;
    QPushButton* browseMod_ = nullptr;
    QPushButton* browseMp3_ = nullptr;
    QLineEdit* bell_ = nullptr;
    QPushButton* colors_ = nullptr;
    std::function<void()> colorsAction_;
};

} // namespace tav
