// SPDX-License-Identifier: GPL-3.0-or-later
#include "Fonts.h"

#include "TextRoutines.h"
#include "platform/UiHost.h"

#include <QFontDatabase>
#include <QFontMetrics>

namespace Global {

void useFontDatabase()
{
    setFontCheck([](const QString& face) {
        const QStringList families = QFontDatabase::families();
        for (const QString& family : families) {
            if (family.compare(face, Qt::CaseInsensitive) == 0)
                return true;
        }
        return false;
    });
}

TextWidth widthIn(const QFont& font)
{
    return [metrics = QFontMetrics(font)](const QString& text) {
        return metrics.horizontalAdvance(text) * Platform::TwipsPerPixel;
    };
}

} // namespace Global
