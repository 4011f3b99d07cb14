// SPDX-License-Identifier: GPL-3.0-or-later
#include "RegistryText.h"

#include "RegistryHive.h"
#include "Text.h"

namespace Platform::Hive {
namespace {

[[noreturn]] void failLine(qsizetype line, const QString& what)
{
    throw HiveError(QStringLiteral("Line %1: %2").arg(line).arg(what));
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QStringView trimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

// Reads the text format into steps, so that a bad line is found before anything is written.
class ImportParser
{
public:
    explicit ImportParser(QString sectionRoot) : m_root(std::move(sectionRoot)) {}

    std::vector<ImportStep> parse(QStringView text)
    {
        if (text.startsWith(QChar(0xfeff)))
            text = text.sliced(1);
        bool sawHeader = false;
        qsizetype lineNumber = 0;
        for (QStringView raw : text.split(u'\n')) {
            m_line = ++lineNumber;
            if (raw.endsWith(u'\r'))
                raw.chop(1);
            const QStringView line = trimBlanks(raw);
            if (line.isEmpty())
                continue;
            if (!sawHeader) {
                if (line != QLatin1String("REGEDIT4") &&
                    line != QLatin1String("Windows Registry Editor Version 5.00"))
                    fail(QStringLiteral("the text does not begin with REGEDIT4."));
                sawHeader = true;
            } else if (line.startsWith(u';')) {
                continue;
            } else if (line.startsWith(u'[')) {
                parseSection(line);
            } else {
                parseValue(line);
            }
        }
        if (!sawHeader) {
            m_line = 1;
            fail(QStringLiteral("the text is empty; REGEDIT4 was expected."));
        }
        return std::move(m_steps);
    }

private:
    enum class Section
    {
        None,
        Key,
        Deleted
    };

    [[noreturn]] void fail(const QString& what) const { failLine(m_line, what); }

    void parseSection(QStringView line)
    {
        // Key names may hold "]", so only the last one closes the section.
        if (!line.endsWith(u']'))
            fail(QStringLiteral("the section name has no closing bracket."));
        QStringView inner = line.sliced(1, line.size() - 2);
        const bool remove = inner.startsWith(u'-');
        if (remove)
            inner = inner.sliced(1);
        const qsizetype rootLength = m_root.size();
        const bool underRoot = inner.size() >= rootLength &&
                               foldCase(inner.first(rootLength)) == foldCase(m_root) &&
                               (inner.size() == rootLength || inner[rootLength] == u'\\');
        if (!underRoot)
            fail(QStringLiteral("the section \"%1\" is not under \"%2\".").arg(inner, m_root));
        m_keyPath = inner.sliced(rootLength).toString();
        m_section = remove ? Section::Deleted : Section::Key;
        m_steps.push_back(
            {remove ? ImportAction::DeleteKey : ImportAction::CreateKey, m_keyPath, {}, {}});
    }

    void parseValue(QStringView line)
    {
        qsizetype pos = 0;
        QString name;
        if (line[0] == u'@')
            pos = 1;
        else if (line[0] == u'"')
            name = readQuoted(line, pos, QStringLiteral("name"));
        else
            fail(QStringLiteral("the line is neither a section nor a value."));
        if (m_section == Section::None)
            fail(QStringLiteral("the value is not inside a section."));
        if (m_section == Section::Deleted)
            fail(QStringLiteral("the value follows the removal of its key."));

        skipBlanks(line, pos);
        if (pos >= line.size() || line[pos] != u'=')
            fail(QStringLiteral("\"=\" was expected after the value's name."));
        ++pos;
        skipBlanks(line, pos);

        const QStringView rest = line.sliced(pos);
        ImportStep step{ImportAction::SetValue, m_keyPath, name, {}};
        if (rest.startsWith(u'"')) {
            step.data = readQuoted(line, pos, QStringLiteral("value"));
        } else if (rest.startsWith(u'-')) {
            step.action = ImportAction::DeleteValue;
            ++pos;
        } else if (rest.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
            pos += 6;
            quint32 number = 0;
            int digits = 0;
            for (; pos < line.size() && hexDigitValue(line[pos]) >= 0; ++pos, ++digits)
                number = number << 4 | quint32(hexDigitValue(line[pos]));
            if (digits != 8)
                fail(QStringLiteral("a dword value needs exactly 8 hexadecimal digits."));
            step.data = QString::number(qint32(number));
        } else if (rest.startsWith(QLatin1String("hex"), Qt::CaseInsensitive)) {
            fail(QStringLiteral("binary (hex) values are not supported."));
        } else {
            fail(QStringLiteral("the value is neither quoted text, dword nor \"-\"."));
        }
        skipBlanks(line, pos);
        if (pos < line.size())
            fail(QStringLiteral("unexpected text after the value."));
        m_steps.push_back(std::move(step));
    }

    static void skipBlanks(QStringView line, qsizetype& pos)
    {
        while (pos < line.size() && isBlank(line[pos]))
            ++pos;
    }

    // Reads the quoted text starting at `pos`; leaves `pos` after its closing quote.
    QString readQuoted(QStringView line, qsizetype& pos, const QString& what) const
    {
        QString out;
        ++pos;
        while (pos < line.size()) {
            const QChar c = line[pos++];
            if (c == u'"')
                return out;
            if (c != u'\\') {
                out += c;
                continue;
            }
            if (pos >= line.size())
                break;
            const QChar escape = line[pos++];
            switch (escape.unicode()) {
            case u'\\':
                out += u'\\';
                break;
            case u'"':
                out += u'"';
                break;
            case u'r':
                out += u'\r';
                break;
            case u'n':
                out += u'\n';
                break;
            case u'0':
                out += QChar(0);
                break;
            case u'x': {
                const int high = pos < line.size() ? hexDigitValue(line[pos]) : -1;
                const int low = pos + 1 < line.size() ? hexDigitValue(line[pos + 1]) : -1;
                if (high < 0 || low < 0)
                    fail(QStringLiteral("the escape \\x in the %1 needs two hexadecimal digits.")
                             .arg(what));
                out += QChar(char16_t(high << 4 | low));
                pos += 2;
                break;
            }
            default:
                fail(QStringLiteral("unknown escape \\%1 in the %2.").arg(QString(escape), what));
            }
        }
        fail(QStringLiteral("the %1 has no closing quote.").arg(what));
    }

    QString m_root;
    qsizetype m_line = 0;
    Section m_section = Section::None;
    QString m_keyPath;
    std::vector<ImportStep> m_steps;
};

} // namespace

std::vector<ImportStep> parseRegistryText(QStringView text, const QString& sectionRoot)
{
    return ImportParser(sectionRoot).parse(text);
}

void appendQuoted(QString& out, QStringView text)
{
    static const char hex[] = "0123456789ABCDEF";
    out += u'"';
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        switch (u) {
        case u'\\':
            out += QLatin1String("\\\\");
            break;
        case u'"':
            out += QLatin1String("\\\"");
            break;
        case u'\r':
            out += QLatin1String("\\r");
            break;
        case u'\n':
            out += QLatin1String("\\n");
            break;
        case u'\t':
            out += c;
            break;
        case 0:
            out += QLatin1String("\\0");
            break;
        default:
            if (u < 0x20 || u == 0x7f) {
                out += QLatin1String("\\x");
                out += QLatin1Char(hex[u >> 4]);
                out += QLatin1Char(hex[u & 0xf]);
            } else {
                out += c;
            }
        }
    }
    out += u'"';
}

} // namespace Platform::Hive
