#include "app/ColorChoice.h"

#include <QColorDialog>

namespace tav {

ColorAsker QtColorAsker(QWidget* owner, const QString& title) {
    return [owner, title](const QColor& initial) -> std::optional<QColor> {
        const QColor chosen = QColorDialog::getColor(initial, owner, title);
        if (!chosen.isValid()) return std::nullopt;
        return chosen;
    };
}

std::optional<ColorRef> ChooseColor(const ColorAsker& ask, ColorRef initial,
                                    ColorRef (&custom)[kCustomColorCount]) {
    for (int k = 0; k < static_cast<int>(kCustomColorCount); ++k)
        QColorDialog::setCustomColor(k, ToQColor(custom[k]));
    const std::optional<QColor> chosen = ask(ToQColor(initial));
    for (int k = 0; k < static_cast<int>(kCustomColorCount); ++k)
        custom[k] = ToColorRef(QColorDialog::customColor(k));
    if (!chosen) return std::nullopt;
    return ToColorRef(*chosen);
}

} // namespace tav
