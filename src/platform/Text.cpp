// SPDX-License-Identifier: GPL-3.0-or-later
#include "Text.h"

namespace Platform {

QString foldCase(QStringView text)
{
    QString folded(text.size(), Qt::Uninitialized);
    QChar* out = folded.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            const char32_t upper = QChar::toUpper(QChar::surrogateToUcs4(c, text[i + 1]));
            if (QChar::requiresSurrogates(upper)) {
                out[i] = QChar(QChar::highSurrogate(upper));
                out[i + 1] = QChar(QChar::lowSurrogate(upper));
            } else {
                out[i] = c;
                out[i + 1] = text[i + 1];
            }
            ++i;
        } else {
            out[i] = c.toUpper();
        }
    }
    return folded;
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
