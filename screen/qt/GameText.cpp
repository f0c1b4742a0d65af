#include "screen/qt/GameText.h"

#include "screen/LegacyCodec.h"
#include "screen/TextDecoder.h"

#include <QList>

#include <algorithm>
#include <optional>

namespace tav {

std::string QStringToGameBytes(const QString& text, TextEncoding encoding) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    // toUcs4 joins surrogate pairs; a lone surrogate stays one and is encoded as '?'.
    for (const char32_t codePoint : text.toUcs4())
        AppendEncoded(bytes, codePoint, encoding);
    return bytes;
}

QString GameBytesToQString(std::string_view bytes, TextEncoding encoding) {
    const auto size = static_cast<qsizetype>(bytes.size());
    if (encoding == TextEncoding::Gb18030 || encoding == TextEncoding::Big5) {
        QString text;
        while (!bytes.empty()) {
            const auto lead = static_cast<unsigned char>(bytes[0]);
            const LegacyStep step = lead < 0x80 ? LegacyStep{LegacyStep::Kind::Malformed, 1}
                                                : ScanLegacy(bytes, encoding);
            const std::size_t length = std::min(step.length, bytes.size());
            std::optional<char32_t> c;
            if (lead < 0x80)
                c = lead;
            else if (step.kind == LegacyStep::Kind::Char)
                c = LegacyCodec::ForThread(encoding).Decode(bytes.substr(0, length));
            const char32_t shown = c.value_or(U'?');
            text.append(QString::fromUcs4(&shown, 1));
            bytes.remove_prefix(length);
        }
        return text;
    }
    return encoding == TextEncoding::Utf8 ? QString::fromUtf8(bytes.data(), size)
                                          : QString::fromLatin1(bytes.data(), size);
}

QString ScreenTextToQString(std::string_view text, TextEncoding encoding) {
    const auto size = static_cast<qsizetype>(text.size());
    return HasUnicodeCells(encoding) ? QString::fromUtf8(text.data(), size)
                                     : QString::fromLatin1(text.data(), size);
}

std::string QStringToScreenText(const QString& text, TextEncoding encoding) {
    return HasUnicodeCells(encoding) ? text.toUtf8().toStdString() : text.toLatin1().toStdString();
}

} // namespace tav
