#include "term/GameText.h"

#include "term/TextDecoder.h"

#include <QList>

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
    return encoding == TextEncoding::Utf8 ? QString::fromUtf8(bytes.data(), size)
                                          : QString::fromLatin1(bytes.data(), size);
}

} // namespace tav
