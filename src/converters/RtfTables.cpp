// SPDX-License-Identifier: GPL-3.0-or-later
#include "Converters.h"
#include "platform/RunTimeError.h"
#include "shared/Messages.h"
#include "shared/Values.h"

#include <QStringList>

#include <algorithm>
#include <vector>

namespace Routines_Converters {

QList<RTFTableEntry> FontTable{RTFTableEntry{}};
QList<RTFTableEntry> ColourTable{RTFTableEntry{}};

namespace {

struct DocumentTexts
{
    bool built = false;
    QString rtfHeader;
    QString rtfFooter;
    QString htmlHeader;
    QString htmlFooter;
};

DocumentTexts& storedTexts()
{
    static DocumentTexts texts;
    return texts;
}

const DocumentTexts& documentTexts()
{
    if (!storedTexts().built)
        buildDocumentTexts();
    return storedTexts();
}

// Braces nest at most this deep inside a table group.
constexpr size_t MaxTableDepth = 11;

QString fontOpenTag(const QString& name)
{
    return QStringLiteral("<FONT FACE=\"") + name + QStringLiteral("\">");
}

QString colourOpenTag(const QString& rrggbb)
{
    return QStringLiteral("<FONT COLOR=\"#") + rrggbb + QStringLiteral("\">");
}

const QString CloseTag = QStringLiteral("</FONT>");

// A font entry such as {\f1\fnil\fcharset2 Symbol;}: its control word
// without the backslash, and the name between the first blank and the ";".
void appendFont(QStringView entry)
{
    qsizetype codeEnd = entry.indexOf(u'\\', 2);
    if (codeEnd < 0) {
        // "{\f0 Arial;}": the word ends where the name begins.
        codeEnd = 2;
        while (codeEnd < entry.size() && !QStringView(u" ;}").contains(entry[codeEnd]))
            ++codeEnd;
    }
    QString name;
    const qsizetype blank = entry.indexOf(u' ');
    if (blank >= 0) {
        qsizetype end = entry.indexOf(u';', blank + 1);
        if (end < 0)
            end = entry.size() - 1; // the entry's closing brace
        name = entry.sliced(blank + 1, std::max<qsizetype>(0, end - blank - 1)).toString();
    }
    FontTable.append({entry.sliced(2, codeEnd - 2).toString(), fontOpenTag(name), CloseTag, name});
}

// The number after the first `skip` characters of a colour word ("red255"
// from its 4th character); 0 for a word that is not there.
int colourComponent(const QList<QStringView>& words, qsizetype index, qsizetype skip)
{
    if (index >= words.size() || words[index].size() <= skip)
        return 0;
    return std::clamp(int(Global::val(words[index].sliced(skip))), 0, 255);
}

// The colour table group, {\colortbl\red0\green0\blue0;...}. Entries are
// read by position, so an entry that leaves out a colour word shifts the
// others; entry j is stored at index j.
void readColours(QStringView group)
{
    const qsizetype first = group.indexOf(u'\\', 2);
    if (first < 0)
        return;
    QList<QStringView> entries = group.sliced(first).split(u';');
    entries.removeLast(); // what follows the last ";"
    for (qsizetype j = 0; j < entries.size(); ++j) {
        const QList<QStringView> words = entries[j].split(u'\\');
        const QString rrggbb = QStringLiteral("%1%2%3")
                                   .arg(colourComponent(words, 1, 3), 2, 16, QLatin1Char('0'))
                                   .arg(colourComponent(words, 2, 5), 2, 16, QLatin1Char('0'))
                                   .arg(colourComponent(words, 3, 4), 2, 16, QLatin1Char('0'))
                                   .toUpper();
        RTFTableEntry entry{QStringLiteral("cf%1").arg(j), colourOpenTag(rrggbb), CloseTag, rrggbb};
        if (j < ColourTable.size())
            ColourTable[j] = std::move(entry);
        else
            ColourTable.append(std::move(entry));
    }
}

// Reads and removes every group that `opener` starts, each time searching
// the text as the previous removal left it.
void takeGroups(QString& text, QStringView opener, bool fonts)
{
    qsizetype from = 0;
    qsizetype start;
    while ((start = text.indexOf(opener, from)) >= 0) {
        from = start + 1;
        // An escaped brace opens nothing: "\{\fonttbl" is text.
        if (start > 0 && text[start - 1] == u'\\')
            continue;
        std::vector<qsizetype> open;
        qsizetype end = -1;
        for (qsizetype i = start; i < text.size() && end < 0; ++i) {
            const QChar c = text[i];
            if (i > 0 && text[i - 1] == u'\\')
                continue;
            if (c == u'{') {
                if (open.size() == MaxTableDepth)
                    throw Platform::RunTimeError(Platform::RunTimeError::SubscriptOutOfRange);
                open.push_back(i);
            } else if (c == u'}') {
                const qsizetype groupStart = open.back();
                open.pop_back();
                if (!open.empty()) {
                    if (fonts)
                        appendFont(QStringView(text).sliced(groupStart, i - groupStart + 1));
                } else {
                    end = i;
                }
            }
        }
        // A table that never closes is left as it stands; its entries so
        // far are kept.
        if (end < 0)
            continue;
        if (!fonts)
            readColours(QStringView(text).sliced(start, end - start + 1));
        text.remove(start, end - start + 1);
        // The removal may join text into a new opener just before `start`.
        from = std::max<qsizetype>(0, start - opener.size() + 1);
    }
}

} // namespace

const QString& RTFHeader()
{
    return documentTexts().rtfHeader;
}

const QString& RTFFooter()
{
    return documentTexts().rtfFooter;
}

const QString& HTMLHeader()
{
    return documentTexts().htmlHeader;
}

const QString& HTMLFooter()
{
    return documentTexts().htmlFooter;
}

void buildDocumentTexts()
{
    DocumentTexts& texts = storedTexts();
    texts.rtfHeader = Global::ResolveRes(569, {Global::ResolveRes(505), Global::ResolveRes(516)});
    texts.rtfFooter = Global::ResolveRes(570);
    texts.htmlHeader = Global::ResolveRes(571);
    texts.htmlFooter = Global::ResolveRes(572);
    texts.built = true;
}

QString func_GetRTFTables(const QString& rtf)
{
    return Global::guarded("Routines_Converters:func_GetRTFTables", [&] {
        FontTable = {RTFTableEntry{}};
        ColourTable = {RTFTableEntry{}};
        QString text = rtf;
        takeGroups(text, u"{\\fonttbl", true);
        takeGroups(text, u"{\\colortbl", false);
        return text;
    });
}

} // namespace Routines_Converters
