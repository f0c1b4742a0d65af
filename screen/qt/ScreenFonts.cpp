#include "screen/qt/ScreenFonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace tav {

namespace {

// Rounds a metric up to whole pixels, ignoring floating-point dust above an integer.
int CeilPixels(qreal value) {
    return std::max(1, static_cast<int>(std::ceil(value - 1e-3)));
}

bool IsFace(const QString& face, const char* name) {
    return face.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

// Windows faces that stand for a fixed-pitch terminal font.
bool IsMonospaceFace(const QString& face) {
    for (const char* name :
         {"fixedsys", "terminal", "courier", "courier new", "lucida console", "consolas"})
        if (IsFace(face, name)) return true;
    return false;
}

// The family the system's fixed font resolves to (DejaVu Sans Mono here), by its own name.
QString MonospaceFamily() {
    return QFontInfo(QFontDatabase::systemFont(QFontDatabase::FixedFont)).family();
}

QString FamilyFor(const QString& face, bool& monospace) {
    monospace = false;
    if (IsFace(face, "fixedsys")) {
        monospace = true;
        return MonospaceFamily();
    }
    if (IsFace(face, "Small Fonts") || IsFace(face, "MS Sans Serif") || face.isEmpty())
        return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    if (IsMonospaceFace(face)) {
        monospace = true;
        if (!QFontDatabase::hasFamily(face)) return MonospaceFamily();
    }
    return face;
}

// The largest pixel size whose line height fits in lineHeight.
int PixelSizeForLineHeight(QFont font, int lineHeight) {
    font.setPixelSize(lineHeight);
    const qreal full = QFontMetricsF(font).height();
    int size = full > 0 ? static_cast<int>(lineHeight * lineHeight / full) : lineHeight;
    size = std::clamp(size, 1, lineHeight);
    for (; size < lineHeight; ++size) { // the metrics do not scale exactly: settle upwards
        font.setPixelSize(size + 1);
        if (QFontMetricsF(font).height() > lineHeight + 1e-3) break;
    }
    for (; size > 1; --size) {
        font.setPixelSize(size);
        if (QFontMetricsF(font).height() <= lineHeight + 1e-3) break;
    }
    return size;
}

} // namespace

QFont FontFromSpec(const FontSpec& stored) {
    const QString face = QString::fromLocal8Bit(
        stored.face, static_cast<qsizetype>(strnlen(stored.face, sizeof stored.face)));
    bool monospace = false;
    QFont font(FamilyFor(face, monospace));
    if (monospace) {
        font.setStyleHint(QFont::TypeWriter);
        font.setFixedPitch(true);
    }
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    int height = std::clamp(stored.height, -kMaxFontPixels, kMaxFontPixels);
    // Fixedsys is a bitmap face whose smallest lines are 15 pixels high: asked for less
    // (the tool windows store 10), Windows gives those, and so do we, readable.
    if (IsFace(face, "fixedsys") && height >= 0 && height < kDefaultFontCellHeight)
        height = kDefaultFontCellHeight;
    if (height < 0)
        font.setPixelSize(-height);
    else
        font.setPixelSize(
            PixelSizeForLineHeight(font, height > 0 ? height : kDefaultFontCellHeight));
    return font;
}

FontSpec SpecFromFont(const QFont& font) {
    FontSpec spec{};
    const QByteArray face = font.family().toLocal8Bit();
    const std::size_t n =
        std::min<std::size_t>(static_cast<std::size_t>(face.size()), sizeof spec.face - 1);
    std::memcpy(spec.face, face.constData(), n);
    const int pixels = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    spec.height = -std::clamp(pixels, 1, kMaxFontPixels);
    spec.width = CellSizeOf(font).width;
    return spec;
}

bool SameFontSpec(const FontSpec& a, const FontSpec& b) {
    return a.height == b.height && a.width == b.width &&
           strncmp(a.face, b.face, sizeof a.face) == 0;
}

CellSize CellSizeOf(const QFont& font) {
    const QFontMetricsF metrics(font);
    return {CeilPixels(metrics.averageCharWidth()), CeilPixels(metrics.height())};
}

} // namespace tav
