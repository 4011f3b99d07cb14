// SPDX-License-Identifier: GPL-3.0-or-later
#include "Converters.h"
#include "NamedReferences.h"
#include "Pacing.h"
#include "platform/RunTimeError.h"
#include "platform/Text.h"
#include "shared/Formatting.h"
#include "shared/Messages.h"
#include "shared/TextRoutines.h"
#include "shared/Values.h"

#include <QHash>
#include <QStringList>

#include <array>

namespace Routines_Converters {
namespace {

// The format a FONT tag sets, one level per open FONT.
struct FormatLevel
{
    QString FontCode;   // "\f3"
    QString SizeCode;   // "\fs24"
    qint16 Points = 12; // the size in points
    QString ColourCode; // "\cf0"
};

// Levels 0 to 50: the 51st nested FONT is a fault.
constexpr int FormatLevels = 51;

QString table(std::initializer_list<const char*> items)
{
    QString text;
    for (const char* item : items)
        text += QLatin1String(item) + Global::ReplaceTableSeparator;
    return text;
}

const QString& escapeTable()
{
    static const QString text = table({"\\", "\\\\", "{", "\\{", "}", "\\}"});
    return text;
}

// The tags that become RTF words, matched in upper case and then in lower
// case; a tag in mixed case matches neither and goes with the other tags.
// (Any "\par" in the text is escaped text by now, so nothing of it is taken
// away before the tags add their own paragraph words.)
const QString& tagTable(bool lower)
{
    static const QString upper =
        table({"<B>",    "\\b ",     "</B>",   "\\b0 ",     "<EM>",        "\\i ",  "</EM>",
               "\\i0 ",  "<STRONG>", "\\b ",   "</STRONG>", "\\b0 ",       "<U>",   "\\ul ",
               "</U>",   "\\ul0 ",   "<I>",    "\\i ",      "</I>",        "\\i0 ", "<BR>",
               "\\par ", "</DIV>",   "\\par ", "<P>",       "\\par\\par ", "<TR>",  "\\par "});
    static const QString lowered = Platform::lowerChars(upper);
    return lower ? lowered : upper;
}

const QList<double>& sizeTable()
{
    static const QList<double> points = Global::SplitNumbers(QStringLiteral("9,10,12,14,18,24,36"));
    return points;
}

[[noreturn]] void subscriptOutOfRange()
{
    throw Platform::RunTimeError(Platform::RunTimeError::SubscriptOutOfRange);
}

// Where a table's values are: the first entry at or after `from` that has
// each value, as a search of the table from there finds it, without the
// search (a page can add tens of thousands of entries).
class TableIndex
{
public:
    TableIndex(const QList<RTFTableEntry>& table, qsizetype from)
    {
        for (qsizetype i = from; i < table.size(); ++i)
            add(table[i].Value, i);
    }
    qsizetype find(const QString& value) const { return m_first.value(value, -1); }
    // Entry `index`, appended, has `value`.
    void add(const QString& value, qsizetype index)
    {
        if (!m_first.contains(value))
            m_first.insert(value, index);
    }

private:
    QHash<QString, qsizetype> m_first;
};

// Follows the FONT tags through their levels and gives the format words of
// each tag.
class TagConverter
{
public:
    TagConverter()
    {
        m_levels[0] = {QStringLiteral("\\f3"), QStringLiteral("\\fs24"), 12,
                       QStringLiteral("\\cf0")};
    }

    // The codes that replace the tag whose text (between "<" and ">") is
    // `tag`; empty when the tag simply goes.
    QString codes(QStringView tag)
    {
        m_changed = false;
        bool inQuote = false;
        qsizetype wordStart = 0;
        // The tag text ends with a blank; a word is ended by a blank outside
        // quotes, so what an unclosed quote holds is no word.
        for (qsizetype i = 0; i <= tag.size(); ++i) {
            const QChar c = i < tag.size() ? tag[i] : QChar(u' ');
            if (c == u'"') {
                inQuote = !inQuote;
            } else if (c == u' ' && !inQuote) {
                word(tag.sliced(wordStart, i - wordStart));
                wordStart = i + 1;
            }
        }
        if (!m_changed)
            return QString();
        const FormatLevel& level = m_levels[size_t(m_depth)];
        return QLatin1String("\\plain") + level.FontCode + level.SizeCode + level.ColourCode;
    }

private:
    // True when `name` in upper case, character by character, is `upper`.
    static bool isName(QStringView name, QLatin1StringView upper)
    {
        if (name.size() != upper.size())
            return false;
        for (qsizetype i = 0; i < name.size(); ++i) {
            if (name[i].toUpper() != upper[i])
                return false;
        }
        return true;
    }

    void word(QStringView word)
    {
        const qsizetype equals = word.indexOf(u'=');
        QStringView name = equals < 0 ? word : word.first(equals);
        QStringView value;
        if (equals >= 0) {
            value = word.sliced(equals + 1);
            if (value.startsWith(u'"'))
                value = value.sliced(1);
            if (value.endsWith(u'"'))
                value.chop(1);
        }
        QString joined;
        if (name.contains(Global::LineBreak)) {
            joined = name.toString().remove(Global::LineBreak);
            name = joined;
        }
        FormatLevel& level = m_levels[size_t(m_depth)];
        if (isName(name, QLatin1StringView("FONT"))) {
            if (m_depth + 1 >= FormatLevels)
                subscriptOutOfRange();
            ++m_depth;
            m_levels[size_t(m_depth)] = m_levels[size_t(m_depth - 1)];
        } else if (isName(name, QLatin1StringView("/FONT"))) {
            m_depth = std::max(0, m_depth - 1);
            m_changed = true;
        } else if (isName(name, QLatin1StringView("FACE"))) {
            level.FontCode = QStringLiteral("\\f%1").arg(fontIndex(value) - 1);
            m_changed = true;
        } else if (isName(name, QLatin1StringView("COLOR"))) {
            level.ColourCode = QStringLiteral("\\cf%1").arg(colourIndex(value));
            m_changed = true;
        } else if (isName(name, QLatin1StringView("SIZE"))) {
            setSize(level, value);
            m_changed = true;
        }
    }

    qsizetype fontIndex(QStringView value)
    {
        const QString face =
            value.first(value.indexOf(u',') < 0 ? value.size() : value.indexOf(u',')).toString();
        if (const qsizetype found = m_fonts.find(face); found >= 0)
            return found;
        // A face that is not installed gets a font of no name, which the
        // display fills with its default font. (So each FONT tag of such a
        // face adds a font of its own.)
        auto installed = m_installed.find(face);
        if (installed == m_installed.end())
            installed = m_installed.insert(face, Global::KwFontExists(face) == 1);
        const qsizetype index = FontTable.size();
        const QString name = *installed ? face : FontTable.value(0).Value;
        FontTable.append({QStringLiteral("\\f%1").arg(index - 1),
                          QStringLiteral("<FONT FACE=\"") + face + QStringLiteral("\">"),
                          QStringLiteral("</FONT>"), name});
        m_fonts.add(name, index);
        return index;
    }

    qsizetype colourIndex(QStringView value)
    {
        if (value.startsWith(u'#'))
            value = value.sliced(1);
        const QString colour = Platform::foldCase(value);
        if (const qsizetype found = m_colours.find(colour); found >= 0)
            return found;
        const qsizetype index = ColourTable.size();
        ColourTable.append({QStringLiteral("\\cf%1").arg(index),
                            QStringLiteral("<FONT COLOR=\"#") + colour + QStringLiteral("\">"),
                            QStringLiteral("</FONT>"), colour});
        m_colours.add(colour, index);
        return index;
    }

    // HTML sizes 1 to 7, absolute or relative ("+1", "-2") to the size of
    // the level, which is first put on the table.
    static void setSize(FormatLevel& level, QStringView value)
    {
        if (value.isEmpty())
            subscriptOutOfRange(); // an empty size names position 0 of the table
        const QList<double>& points = sizeTable();
        const int d = int(Global::val(value.last(1)));
        int current = 7;
        for (int i = 1; i <= 7; ++i) {
            if (points[i - 1] >= level.Points) {
                current = i;
                break;
            }
        }
        int position;
        if (value.startsWith(u'+'))
            position = current + d <= 7 ? current + d : 7;
        else if (value.startsWith(u'-'))
            position = current - d > 0 ? current - d : 1;
        else if (QStringView(u"1234567").contains(value.back()))
            position = d;
        else
            return;
        level.Points = qint16(points[position - 1]);
        level.SizeCode = QStringLiteral("\\fs%1").arg(2 * level.Points);
    }

    std::array<FormatLevel, FormatLevels> m_levels;
    int m_depth = 0;
    bool m_changed = false;
    // Fonts are looked for from entry 1 up, colours from entry 0 up.
    TableIndex m_fonts{FontTable, 1};
    TableIndex m_colours{ColourTable, 0};
    QHash<QString, bool> m_installed; // what the font check said of each face
};

// Every tag left, from the first "<" to the first ">" after it, becomes its
// codes or goes; a "<" with no ">" after it ends the work, and it and all
// after it stay text. Codes hold no "<" or ">", so one pass from the left
// meets the tags in the order that searching again from the start would.
QString convertTags(QStringView text, EventPacer& pacer)
{
    TagConverter converter;
    QString out;
    out.reserve(text.size() + text.size() / 4);
    qsizetype copied = 0;
    for (;;) {
        const qsizetype open = text.indexOf(u'<', copied);
        const qsizetype close = open < 0 ? -1 : text.indexOf(u'>', open);
        if (close < 0)
            break;
        out.append(text.sliced(copied, open - copied));
        const QString codes = converter.codes(text.sliced(open + 1, close - open - 1));
        if (!codes.isEmpty()) {
            out.append(codes);
            out.append(QLatin1Char(' '));
        }
        copied = close + 1;
        pacer.reach(copied);
    }
    out.append(text.sliced(copied));
    pacer.passEnded(text.size());
    return out;
}

int hexPair(const QString& value, qsizetype from)
{
    return int(Global::val(QLatin1String("&H") + value.mid(from, 2)));
}

QString wrapped(const QString& body, const QString& prefix)
{
    QString fonts = QStringLiteral("{\\fonttbl");
    for (qsizetype i = 1; i < FontTable.size(); ++i)
        fonts += QStringLiteral("{\\f%1\\fnil %2;}").arg(i - 1).arg(FontTable[i].Value);
    fonts += QLatin1Char('}');
    QString colours = QStringLiteral("{\\colortbl");
    for (const RTFTableEntry& colour : std::as_const(ColourTable)) {
        colours += QStringLiteral("\\red%1\\green%2\\blue%3;")
                       .arg(hexPair(colour.Value, 0))
                       .arg(hexPair(colour.Value, 2))
                       .arg(hexPair(colour.Value, 4));
    }
    colours += QLatin1Char('}');
    return Global::ResolveRes(569, {fonts, colours}) + prefix + body + RTFFooter();
}

} // namespace

QString HTMLtoRTF(const QString& html, bool Wrap, const QString& Prefix)
{
    return Global::guarded("Routines_Converters:HTMLtoRTF", [&] {
        EventPacer pacer;
        func_GetRTFTables(RTFHeader() + RTFFooter());
        QString text = Global::KwLoseDblSpaces(html);
        // Escaping, then the tags in upper case, then in lower case: one
        // table does what three calls after each other do, in fewer passes.
        static const QString escapeAndTags = escapeTable() + tagTable(false) + tagTable(true);
        text = Global::KwReplace(text, escapeAndTags);
        pacer.passEnded(text.size());
        text = convertTags(text, pacer);
        text = Global::KwConvertHTMLCodesToASCII(text, true);
        text = Global::KwReplace(text, namedReferenceTable(true));
        pacer.passEnded(text.size());
        const bool blank =
            std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c == u' '; });
        if (Wrap && !blank)
            text = wrapped(text, Prefix);
        return text;
    });
}

} // namespace Routines_Converters
