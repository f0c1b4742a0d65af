#include "app/ColorChoice.h"

#include <QColorDialog>

namespace tav {

QColor ColorRefToQColor(ColorRef color) {
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

ColorRef QColorToColorRef(const QColor& color) {
    const QColor rgb = color.toRgb();
    return MakeColor(rgb.red(), rgb.green(), rgb.blue());
}

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
        QColorDialog::setCustomColor(k, ColorRefToQColor(custom[k]));
    const std::optional<QColor> chosen = ask(ColorRefToQColor(initial));
    for (int k = 0; k < static_cast<int>(kCustomColorCount); ++k)
        custom[k] = QColorToColorRef(QColorDialog::customColor(k));
    if (!chosen) return std::nullopt;
    return QColorToColorRef(*chosen);
}

} // namespace tav
