#pragma once

#include "settings/ProfileOptions.h"
#include "settings/QtColor.h"
#include "settings/StoredValues.h"

#include <QDialog>

#include <array>
#include <optional>
#include <span>

class QCheckBox;
class QPushButton;

namespace tav {

// Runs the colour chooser on `initial` with `custom` as its custom colours: they are
// copied into the chooser before it opens and back after it closes, since Qt keeps one set
// for the whole program. The chosen colour on OK; nothing on Cancel.
std::optional<ColorRef> ChooseColor(QWidget* owner, ColorRef initial,
                                    std::span<ColorRef, kCustomColorCount> custom);

// The MUD colour dialog: one button and swatch per entry of the MUD colour table, the
// eight normal colours on the left and the eight bold ones on the right. A colour chosen
// is stored in the table at once (there is no undo); it reaches colors.dat with the next
// settings save. Made per use and run with exec().
class mcolordlg : public QDialog {
    Q_OBJECT
public:
    mcolordlg(std::span<ColorRef, kMudColorCount> mudColors,
              std::span<ColorRef, kCustomColorCount> custom, QWidget* parent);
    // Offers the profile's local echo colour below the table: "Local echo in its own
    // colour" and the colour, edited in `options` at once like the table. Once per dialog.
    void OfferLocalEcho(ProfileOptions& options);

    // The swatch widget of a table entry (for its colour and name).
    QWidget* Swatch(std::size_t index) const { return swatches_.at(index); }
    QWidget* EchoSwatch() const { return echoSwatch_; }

private:
    void Choose(std::size_t index);
    void ChooseEcho();
    void RepaintSwatches();

    std::span<ColorRef, kMudColorCount> mudColors_;
    std::span<ColorRef, kCustomColorCount> custom_;
    ProfileOptions* options_ = nullptr;
    std::array<QWidget*, kMudColorCount> swatches_{};
    QWidget* echoSwatch_ = nullptr;
    QCheckBox* echoColoured_ = nullptr;
    QPushButton* echoButton_ = nullptr;
    QPushButton* close_ = nullptr;
};

} // namespace tav
