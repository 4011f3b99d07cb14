// SPDX-License-Identifier: GPL-3.0-or-later
#include "Converters.h"
#include "NamedReferences.h"
#include "shared/Messages.h"
#include "shared/TextRoutines.h"

#include <QStringList>

namespace Routines_Converters {
namespace {

// The Latin-1 letters from code 192 to 255 by their HTML names; 215 and 247
// (multiplication and division) have none in the table.
const char* const LetterNames[] = {
    "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig", "Ccedil",
    "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc", "Iuml",
    "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",  nullptr,
    "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN", "szlig",
    "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig", "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc", "iuml",
    "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",  nullptr,
    "oslash", "ugrave", "uacute", "ucirc",  "uuml",   "yacute", "thorn", "yuml",
};
static_assert(std::size(LetterNames) == 64);

QString buildTable(bool withPound)
{
    QStringList pairs{QStringLiteral("&nbsp;"), QStringLiteral(" "),      QStringLiteral("&amp;"),
                      QStringLiteral("&"),      QStringLiteral("&quot;"), QStringLiteral("\""),
                      QStringLiteral("&lt;"),   QStringLiteral("<"),      QStringLiteral("&gt;"),
                      QStringLiteral(">"),      QStringLiteral("&copy;"), QString(QChar(0xA9)),
                      QStringLiteral("&reg;"),  QString(QChar(0xAE))};
    if (withPound)
        pairs << QStringLiteral("&pound;") << QString(QChar(0xA3));
    for (int i = 0; i < 64; ++i) {
        if (LetterNames[i] == nullptr)
            continue;
        pairs << QLatin1Char('&') + QLatin1String(LetterNames[i]) + QLatin1Char(';')
              << QString(QChar(192 + i));
    }
    QString table;
    for (const QString& item : pairs)
        table += item + Global::ReplaceTableSeparator;
    return table;
}

} // namespace

const QString& namedReferenceTable(bool withPound)
{
    static const QString plain = buildTable(false);
    static const QString pound = buildTable(true);
    return withPound ? pound : plain;
}

QString HTMLtoTXT(const QString& html)
{
    return Global::guarded("Routines_Converters:HTMLtoTXT", [&] {
        QString text = Global::KwStripHTML(html);
        text = Global::KwConvertHTMLCodesToASCII(text);
        return Global::KwReplace(text, namedReferenceTable(false));
    });
}

} // namespace Routines_Converters
