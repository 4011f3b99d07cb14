// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formatting.h"

#include "Files.h"
#include "Messages.h"
#include "Tweaks.h"
#include "Values.h"
#include "platform/FileSystem.h"

#include <QFileInfo>

#include <array>

namespace Global {
namespace {

constexpr int MaxListItems = 60;

// The irrelevant characters of search keys, built again when the tweaks are
// read afresh.
const QString& irrelevantCharacters()
{
    static QString characters;
    static int builtFor = -1;
    if (builtFor != tweakGeneration()) {
        characters =
            QStringLiteral(" ,.'-\"\r\n") + GetTweak(Tweak::IrrelevantSearchLetters).text();
        builtFor = tweakGeneration();
    }
    return characters;
}

// The search-key form of each Latin-1 character (-1 for one that is
// dropped), worked out with the irrelevant characters, since every index
// value and clue passes through here.
struct KeyCharacters
{
    std::array<int, 256> latin1{};
    QString irrelevant;
};

const KeyCharacters& keyCharacters()
{
    static KeyCharacters table;
    static int builtFor = -1;
    if (builtFor != tweakGeneration()) {
        table.irrelevant = irrelevantCharacters();
        for (int c = 0; c < 256; ++c) {
            const QChar ch(c);
            table.latin1[c] = table.irrelevant.contains(ch) ? -1 : ch.toUpper().unicode();
        }
        builtFor = tweakGeneration();
    }
    return table;
}

// The position just after the last separator, and whether the last component
// names a file (a "." after the separator that no "]" follows).
struct LastComponent
{
    qsizetype start = 0;
    bool isFile = false;
};

LastComponent lastComponent(const QString& path, const QString& separator)
{
    LastComponent last;
    const qsizetype sep = path.lastIndexOf(separator);
    last.start = sep < 0 ? 0 : sep + separator.size();
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    last.isFile = dot >= last.start && path.indexOf(QLatin1Char(']'), dot) < 0;
    return last;
}

QString folderPart(const QString& path, const QString& separator)
{
    const LastComponent last = lastComponent(path, separator);
    return last.isFile ? path.left(last.start) : path;
}

// The last folder's path, without a trailing separator ("M" and "L").
QString lastFolder(const QString& path, const QString& separator)
{
    QString folder = path.right(4).contains(QLatin1Char('.')) ? folderPart(path, separator) : path;
    if (folder.endsWith(separator))
        folder.chop(separator.size());
    return folder;
}

QString extensionOf(const QString& path, const QString& separator)
{
    const QString name = path.mid(lastComponent(path, separator).start);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

QString storedNames(const QString& path, const QString& separator)
{
    qsizetype start = 0;
    QString result;
    if (path.startsWith(separator)) {
        start = separator.size();
        result = separator;
    } else if (path.size() >= 3 && path[1] == QLatin1Char(':')) {
        start = 3;
        result = path.left(3);
    }
    const QStringList parts = path.mid(start).split(separator);
    QString folder = result.isEmpty() ? QStringLiteral(".") : result;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString& part = parts[i];
        QString name = part;
        if (!part.isEmpty()) {
            const QString found = Platform::findNoCase(folder, part);
            if (QFileInfo::exists(found))
                name = QFileInfo(found).fileName();
        }
        result += name;
        if (i + 1 < parts.size())
            result += separator;
        if (folder == QLatin1String("."))
            folder = name;
        else
            folder += folder.endsWith(QLatin1Char('/')) ? name : QLatin1Char('/') + name;
    }
    return result;
}

QString withoutBrackets(QString text)
{
    for (;;) {
        const qsizetype open = text.indexOf(QLatin1Char('['));
        if (open < 0)
            return text;
        const qsizetype close = text.indexOf(QLatin1Char(']'), open);
        if (close < 0)
            return text;
        text = text.left(open).trimmed() + text.mid(close + 1);
    }
}

QString shortened(QString text, const QString& separator, int limit, const TextWidth& measure)
{
    static const QString Ellipsis = QStringLiteral("...");
    const qsizetype first = text.indexOf(separator);
    if (first < 0)
        return text;
    const qsizetype folderStart = first + separator.size();
    // (1) Folder names after the first separator give way to "...", one by one.
    while (measure(text) > limit) {
        const qsizetype from = QStringView(text).mid(folderStart).startsWith(Ellipsis + separator)
                                   ? folderStart + Ellipsis.size() + separator.size()
                                   : folderStart;
        const qsizetype next = text.indexOf(separator, from);
        if (next < 0)
            break;
        text = text.left(folderStart) + Ellipsis + text.mid(next);
    }
    // (2) The ellipsis shrinks to one dot.
    if (measure(text) > limit) {
        const qsizetype at = text.indexOf(Ellipsis);
        if (at >= 0)
            text.replace(at, Ellipsis.size(), QStringLiteral("."));
    }
    // (3) Separators followed by "." go, with that ".".
    while (measure(text) > limit) {
        const qsizetype at = text.indexOf(separator + QLatin1Char('.'), folderStart);
        if (at < 0)
            break;
        text.remove(at, separator.size() + 1);
    }
    return text;
}

} // namespace

QStringList SplitList(const QString& text, const QString& delimiter)
{
    QStringList items;
    if (text.isEmpty())
        return items;
    if (delimiter.isEmpty())
        return {text};
    qsizetype from = 0;
    const qsizetype end = text.endsWith(delimiter) ? text.size() - delimiter.size() : text.size();
    while (from <= end && items.size() < MaxListItems) {
        qsizetype at = text.indexOf(delimiter, from);
        if (at < 0 || at > end)
            at = end;
        items << text.mid(from, at - from);
        from = at + delimiter.size();
    }
    return items;
}

QList<double> SplitNumbers(const QString& text, const QString& delimiter)
{
    QList<double> numbers;
    for (const QString& item : SplitList(text, delimiter))
        numbers << val(item);
    return numbers;
}

int searchKeyOfLatin1(char16_t c)
{
    return c < 256 ? keyCharacters().latin1[c] : -1;
}

QString MakeSearchKey(const QString& text, bool wordMode)
{
    const KeyCharacters& table = keyCharacters();
    QString key(text.size(), Qt::Uninitialized);
    QChar* out = key.data();
    for (const QChar c : text) {
        if (c.unicode() < 256) {
            const int mapped = table.latin1[c.unicode()];
            if (mapped >= 0)
                *out++ = QChar(mapped);
            else if (wordMode && c == QLatin1Char(' '))
                *out++ = c;
        } else if (!table.irrelevant.contains(c)) {
            *out++ = c.toUpper();
        }
    }
    key.truncate(out - key.constData());
    if (!wordMode || key.size() < 3)
        return key;

    QString spaced = QLatin1Char(' ') + key.trimmed() + QLatin1Char(' ');
    QString marks(spaced.size(), QLatin1Char('C'));
    for (qsizetype i = 0; i + 4 < spaced.size(); ++i) {
        if (spaced[i] == QLatin1Char(' ') && spaced[i + 2] == QLatin1Char(' ') &&
            spaced[i + 4] == QLatin1Char(' ')) {
            marks[i] = QLatin1Char('S');
            marks[i + 1] = QLatin1Char('C');
            marks[i + 2] = QLatin1Char('S');
        }
    }
    // A lone letter after a longer word keeps the blank before it.
    marks.replace(QLatin1String("CCS"), QLatin1String("CCX"));
    QString joined;
    joined.reserve(spaced.size());
    for (qsizetype i = 0; i < spaced.size(); ++i) {
        if (marks[i] != QLatin1Char('S'))
            joined += spaced[i];
    }
    return joined.trimmed();
}

QString FormatFilename(const QString& path, const QString& codes, const FilenameFormat& format)
{
    return guarded("Global:FormatFilename", [&] {
        const QString& sep = format.separator;
        QString result;
        for (const QChar code : codes) {
            switch (code.unicode()) {
            case 'D':
                if (path.size() >= 2 && path[1] == QLatin1Char(':'))
                    result += path.left(2);
                break;
            case 'P':
                result += folderPart(path, sep);
                break;
            case 'C': {
                QString folder = folderPart(path, sep);
                if (!format.base.isEmpty()) {
                    const qsizetype at = folder.indexOf(format.base, 0, Qt::CaseInsensitive);
                    if (at >= 0) {
                        qsizetype length = format.base.size();
                        if (folder.mid(at + length).startsWith(sep))
                            length += sep.size();
                        folder.remove(at, length);
                    }
                }
                result += folder;
                break;
            }
            case 'M': {
                const QString folder = lastFolder(path, sep);
                const qsizetype at = folder.lastIndexOf(sep);
                result += at < 0 ? folder : folder.mid(at + sep.size());
                break;
            }
            case 'L': {
                const QString folder = lastFolder(path, sep);
                const qsizetype at = folder.lastIndexOf(sep);
                result += at < 0 ? QString() : folder.left(at);
                break;
            }
            case 'N': {
                const QString name = path.mid(lastComponent(path, sep).start);
                const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
                if (dot >= 0)
                    result += name.left(dot);
                break;
            }
            case 'X':
                result += extensionOf(path, sep);
                break;
            case 'G':
                result += storedNames(path, sep);
                break;
            // No short names here: the whole path, as when the short form fails.
            case 'S':
                result += path;
                break;
            case 'U':
                result = withoutBrackets(result);
                break;
            case 'T':
                result += format.limit ? shortened(path, sep, *format.limit,
                                                   [](const QString& t) { return int(t.size()); })
                                       : path;
                break;
            case 'W':
                result += format.limit && format.width
                              ? shortened(path, sep, *format.limit, format.width)
                              : path;
                break;
            default:
                result += code;
                break;
            }
        }
        const bool shortening =
            codes.contains(QLatin1Char('T')) || codes.contains(QLatin1Char('W'));
        if (!shortening && format.limit && result.size() > *format.limit)
            result = result.left(*format.limit) + QLatin1String("...");
        return result;
    });
}

QString FormatFileSize(const QString& path, std::optional<double> size, const QString& unit)
{
    try {
        double bytes = 0;
        if (size)
            bytes = *size;
        else if (FileExists(path))
            bytes = double(QFileInfo(path).size());
        const QStringList units = SplitList(ResolveRes(565));
        if (bytes > 902'500 || unit == QLatin1String("M"))
            return formatNumber(bytes / 1'048'576, u"#,##0.0") + units.value(0);
        if (unit != QLatin1String("K") && bytes < 10'241)
            return formatNumber(bytes, u"#,##0") + QLatin1Char(' ') + units.value(2);
        return formatNumber(bytes / 1024, u"#,##0.0") + units.value(1);
    } catch (...) {
        ReportError(QLatin1String("Global:FormatFileSize  Error:") + currentErrorDescription() +
                    QLatin1String(" - \"") + path + QLatin1Char('"'));
        return QString();
    }
}

QString TruncateText(const QString& text, int length, bool ellipsis, bool stopAtLineBreak)
{
    QString result = text;
    if (stopAtLineBreak) {
        const qsizetype lineBreak = result.indexOf(LineBreak);
        if (lineBreak >= 0)
            result.truncate(lineBreak);
    }
    if (result.size() > length) {
        result.truncate(qMax(0, length) + 1);
        const qsizetype blank = result.lastIndexOf(QLatin1Char(' '));
        // Cut after the last whole word; a text without a blank is cut at
        // the greatest length itself.
        result.truncate(blank >= 0 ? blank + 1 : qMax(0, length));
        if (ellipsis) {
            while (result.endsWith(QLatin1Char(' ')))
                result.chop(1);
            result += QLatin1String("...");
        }
    }
    while (result.endsWith(QLatin1Char(' ')))
        result.chop(1);
    return result;
}

} // namespace Global
