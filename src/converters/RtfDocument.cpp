// SPDX-License-Identifier: GPL-3.0-or-later
// The views' text documents filled by the RTF reader: the one part of reading
// RTF that needs Qt Gui.
#include "RtfReader.h"
#include "RtfRuns.h"

#include <QColor>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace Routines_Converters {
namespace {

QTextCharFormat charFormat(const Rtf::CharFormat& f, const Rtf::Tables& tables)
{
    QTextCharFormat format;
    format.setFontWeight(f.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(f.italic);
    format.setFontUnderline(f.underline);
    format.setFontPointSize(f.halfPoints / 2.0);
    const auto font = tables.fonts.constFind(f.font < 0 ? tables.defaultFont : f.font);
    if (font != tables.fonts.cend()) {
        format.setFontFamilies(QStringList{font->name});
        // Where Courier New is asked for and missing, a fixed-pitch font
        // stands in for it.
        if (font->fixedPitch ||
            font->name.compare(QLatin1String("Courier New"), Qt::CaseInsensitive) == 0) {
            format.setFontFixedPitch(true);
            format.setFontStyleHint(QFont::TypeWriter);
        }
    }
    if (f.colour < tables.colours.size() && tables.colours[f.colour].given) {
        const Rtf::Colour& colour = tables.colours[f.colour];
        format.setForeground(QColor(colour.red, colour.green, colour.blue));
    }
    return format;
}

} // namespace

void rtfToDocument(const QString& rtf, QTextDocument& document)
{
    document.clear();
    if (!Rtf::isRtf(rtf)) {
        QString text = rtf;
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        document.setPlainText(text);
        return;
    }
    const Rtf::Runs read = Rtf::readRuns(rtf);
    QHash<Rtf::CharFormat, QTextCharFormat> formats;
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    for (const Rtf::Run& run : read.runs) {
        if (run.length == 0)
            continue;
        auto it = formats.find(run.format);
        if (it == formats.end())
            it = formats.insert(run.format, charFormat(run.format, read.tables));
        cursor.insertText(read.text.sliced(run.start, run.length), *it);
    }
    cursor.endEditBlock();
    document.setUndoRedoEnabled(undo);
}

} // namespace Routines_Converters
