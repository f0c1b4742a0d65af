#include "settings/ColorDialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace tav {

namespace {

// The entries of the MUD colour table in index order, with their button words.
constexpr const char* kEntryNames[kMudColorCount] = {
    "Red",       "Green",      "Blue",       "Yellow",     "Magenta",     "Cyan",
    "White",     "Bold Red",   "Bold Green", "Bold Blue",  "Bold Yellow", "Bold Magenta",
    "Bold Cyan", "Bold White", "Gray",       "Bold Normal"};
// Rows of the two columns, top to bottom.
constexpr std::size_t kLeftColumn[] = {0, 1, 2, 3, 4, 5, 6, 14};
constexpr std::size_t kRightColumn[] = {7, 8, 9, 10, 11, 12, 13, 15};

// A rectangle filled with one entry of the table, read whenever it paints.
class ColorSwatch final : public QWidget {
public:
    ColorSwatch(const ColorRef& color, QWidget* parent) : QWidget(parent), color_(color) {
        setMinimumSize(40, 20);
    }
    void Changed() {
        setAccessibleDescription(ToQColor(color_).name());
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), ToQColor(color_));
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }

private:
    const ColorRef& color_;
};

} // namespace

std::optional<ColorRef> ChooseColor(QWidget* owner, ColorRef initial,
                                    std::span<ColorRef, kCustomColorCount> custom) {
    for (std::size_t i = 0; i < custom.size(); ++i)
        QColorDialog::setCustomColor(static_cast<int>(i), ToQColor(custom[i]));
    // Qt's own chooser: the desktop's may not offer the custom colours at all.
    QColorDialog chooser(ToQColor(initial), owner);
    chooser.setOption(QColorDialog::DontUseNativeDialog);
    const bool accepted = chooser.exec() == QDialog::Accepted;
    for (std::size_t i = 0; i < custom.size(); ++i)
        custom[i] = ToColorRef(QColorDialog::customColor(static_cast<int>(i)));
    if (!accepted) return std::nullopt;
    return ToColorRef(chooser.selectedColor());
}

mcolordlg::mcolordlg(std::span<ColorRef, kMudColorCount> mudColors,
                     std::span<ColorRef, kCustomColorCount> custom, QWidget* parent)
    : QDialog(parent), mudColors_(mudColors), custom_(custom) {
    setWindowTitle(QStringLiteral("TavTerm MUD Color Selection Dialog"));
    setAccessibleName(windowTitle());

    auto* title = new QLabel(QStringLiteral("Select appearance of each MUD color:"), this);
    title->setTextFormat(Qt::PlainText);
    auto* grid = new QGridLayout;
    auto addColumn = [&](std::span<const std::size_t> entries, int column) {
        int row = 0;
        for (std::size_t index : entries) {
            const QString name = QString::fromLatin1(kEntryNames[index]);
            auto* button = new QPushButton(name, this);
            button->setAutoDefault(false);
            auto* swatch = new ColorSwatch(mudColors_[index], this);
            swatch->setAccessibleName(name + QStringLiteral(" colour"));
            swatch->Changed();
            swatches_[index] = swatch;
            connect(button, &QPushButton::clicked, this, [this, index] { Choose(index); });
            grid->addWidget(button, row, column);
            grid->addWidget(swatch, row, column + 1);
            ++row;
        }
    };
    addColumn(kLeftColumn, 0);
    addColumn(kRightColumn, 2);
    grid->setColumnMinimumWidth(2, 0);

    auto* close = close_ = new QPushButton(QStringLiteral("Close"), this);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addLayout(grid);
    layout->addWidget(close, 0, Qt::AlignHCenter);
}

void mcolordlg::OfferLocalEcho(ProfileOptions& options) {
    options_ = &options;
    echoColoured_ = new QCheckBox(QStringLiteral("&Local echo in its own colour"), this);
    echoColoured_->setAccessibleName(QStringLiteral("Local echo in its own colour"));
    echoColoured_->setChecked(options_->echoColoured);
    echoButton_ = new QPushButton(QStringLiteral("&Echo colour..."), this);
    echoButton_->setAccessibleName(QStringLiteral("Echo colour..."));
    echoButton_->setAutoDefault(false);
    echoButton_->setEnabled(options_->echoColoured);
    auto* echoSwatch = new ColorSwatch(options_->echoColour, this);
    echoSwatch->setAccessibleName(QStringLiteral("Echo colour"));
    echoSwatch->Changed();
    echoSwatch_ = echoSwatch;
    connect(echoColoured_, &QCheckBox::toggled, this, [this](bool on) {
        options_->echoColoured = on;
        echoButton_->setEnabled(on);
    });
    connect(echoButton_, &QPushButton::clicked, this, &mcolordlg::ChooseEcho);
    auto* echo = new QHBoxLayout;
    echo->addWidget(echoColoured_);
    echo->addStretch(1);
    echo->addWidget(echoButton_);
    echo->addWidget(echoSwatch);

    // Between the table and "Close", on the screen and for the keyboard.
    static_cast<QVBoxLayout*>(layout())->insertLayout(2, echo);
    setTabOrder(echoButton_, close_);
}

void mcolordlg::Choose(std::size_t index) {
    if (const std::optional<ColorRef> chosen = ChooseColor(this, mudColors_[index], custom_)) {
        mudColors_[index] = *chosen;
        RepaintSwatches();
    }
}

void mcolordlg::ChooseEcho() {
    if (const std::optional<ColorRef> chosen = ChooseColor(this, options_->echoColour, custom_)) {
        options_->echoColour = *chosen;
        RepaintSwatches();
    }
}

void mcolordlg::RepaintSwatches() {
    for (QWidget* swatch : swatches_)
        static_cast<ColorSwatch*>(swatch)->Changed();
    if (echoSwatch_) static_cast<ColorSwatch*>(echoSwatch_)->Changed();
}

} // namespace tav
