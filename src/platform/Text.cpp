// SPDX-License-Identifier: GPL-3.0-or-later
#include "Text.h"

namespace Platform {

namespace {

// Each character mapped by itself; characters beyond the BMP as whole code
// points, kept when their mapping would leave the BMP's other half.
template <typename Map>
QString mapChars(QStringView text, Map map)
{
    QString mapped(text.size(), Qt::Uninitialized);
    QChar* out = mapped.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            const char32_t to = map(QChar::surrogateToUcs4(c, text[i + 1]));
            if (QChar::requiresSurrogates(to)) {
                out[i] = QChar(QChar::highSurrogate(to));
                out[i + 1] = QChar(QChar::lowSurrogate(to));
            } else {
                out[i] = c;
                out[i + 1] = text[i + 1];
            }
            ++i;
        } else {
            out[i] = QChar(char16_t(map(c.unicode())));
        }
    }
    return mapped;
}

} // namespace

QString foldCase(QStringView text)
{
    // Names are mostly ASCII, mapped here without Qt's character tables.
    return mapChars(text, [](char32_t c) -> char32_t {
        if (c < 0x80)
            return c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c;
        return QChar::toUpper(c);
    });
}

QString lowerChars(QStringView text)
{
    return mapChars(text, [](char32_t c) { return QChar::toLower(c); });
}

int compareNoCase(QStringView a, QStringView b)
{
    const int order = foldCase(a).compare(foldCase(b));
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

int hexDigitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

} // namespace Platform
