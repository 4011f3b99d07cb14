// SPDX-License-Identifier: GPL-3.0-or-later
#include "StringTable.h"

#include "platform/RunTimeError.h"
#include "platform/Text.h"

#include <algorithm>

namespace Resources {
extern const char* const StringsText;
}

namespace Global {
namespace {

// The text of an escaped line, or nullopt with the reason in `why`.
std::optional<QString> unescape(QStringView escaped, QString* why)
{
    QString text;
    text.reserve(escaped.size());
    // Every program start reads the table: the runs between escapes go in whole.
    for (qsizetype i = 0; i < escaped.size(); ++i) {
        const qsizetype escape = escaped.indexOf(QLatin1Char('\\'), i);
        text += escaped.sliced(i, (escape < 0 ? escaped.size() : escape) - i);
        if (escape < 0)
            break;
        i = escape;
        if (++i >= escaped.size()) {
            *why = QStringLiteral("a backslash ends the line");
            return std::nullopt;
        }
        switch (escaped[i].unicode()) {
        case 'r':
            text += QLatin1Char('\r');
            break;
        case 'n':
            text += QLatin1Char('\n');
            break;
        case 't':
            text += QLatin1Char('\t');
            break;
        case '0':
            text += QChar(0);
            break;
        case '\\':
            text += QLatin1Char('\\');
            break;
        case 'x': {
            const int high = i + 1 < escaped.size() ? Platform::hexDigitValue(escaped[i + 1]) : -1;
            const int low = i + 2 < escaped.size() ? Platform::hexDigitValue(escaped[i + 2]) : -1;
            if (high < 0 || low < 0) {
                *why = QStringLiteral("\\x needs two hexadecimal digits");
                return std::nullopt;
            }
            text += QChar(char16_t(high * 16 + low));
            i += 2;
            break;
        }
        default:
            *why = QStringLiteral("unknown escape \\%1").arg(escaped[i]);
            return std::nullopt;
        }
    }
    return text;
}

// Calls `take(line, number, text)` for each line that holds a string, where
// `line` counts from 0 and `number` is nullopt when the line has none.
template <typename Take>
void forEachLine(QByteArrayView utf8, Take take)
{
    qsizetype line = 0;
    for (qsizetype from = 0; from < utf8.size(); ++line) {
        qsizetype end = utf8.indexOf('\n', from);
        if (end < 0)
            end = utf8.size();
        QByteArrayView text = utf8.sliced(from, end - from);
        const qsizetype start = from;
        from = end + 1;
        if (text.endsWith('\r'))
            text.chop(1);
        if (text.isEmpty() || text.startsWith('#'))
            continue;
        // The number: up to nine digits before the TAB.
        qsizetype tab = 0;
        int number = 0;
        while (tab < text.size() && tab < 10 && text[tab] >= '0' && text[tab] <= '9')
            number = number * 10 + (text[tab++] - '0');
        const bool ok = tab > 0 && tab < 10 && tab < text.size() && text[tab] == '\t';
        take(line, ok ? std::optional<int>(number) : std::nullopt, start + tab + 1,
             text.size() - tab - 1);
    }
}

} // namespace

StringTable StringTable::parse(QByteArrayView utf8, QStringList* errors)
{
    StringTable table;
    table.m_source = utf8.toByteArray();
    auto fail = [&](qsizetype line, const QString& why) {
        if (errors)
            errors->append(QStringLiteral("line %1: %2").arg(line + 1).arg(why));
    };
    forEachLine(table.m_source, [&](qsizetype line, std::optional<int> number, qsizetype from,
                                    qsizetype size) {
        if (!number) {
            fail(line, QStringLiteral("no number and TAB"));
            return;
        }
        QString why;
        if (!unescape(QString::fromUtf8(table.m_source.sliced(from, size)), &why)) {
            fail(line, why);
            return;
        }
        if (table.find(*number)) {
            fail(line, QStringLiteral("string %1 is there twice").arg(*number));
            return;
        }
        const auto at =
            std::lower_bound(table.m_lines.begin(), table.m_lines.end(), *number,
                             [](const Line& entry, int wanted) { return entry.number < wanted; });
        table.m_lines.insert(at, Line{*number, from, size});
    });
    return table;
}

const StringTable& StringTable::instance()
{
    static const StringTable table = [] {
        StringTable program;
        program.m_source = QByteArray::fromRawData(Resources::StringsText,
                                                   qsizetype(qstrlen(Resources::StringsText)));
        forEachLine(program.m_source,
                    [&](qsizetype, std::optional<int> number, qsizetype from, qsizetype size) {
                        if (number)
                            program.m_lines.push_back(Line{*number, from, size});
                    });
        // In the order of their numbers, the first line of each kept.
        std::stable_sort(program.m_lines.begin(), program.m_lines.end(),
                         [](const Line& a, const Line& b) { return a.number < b.number; });
        program.m_lines.erase(
            std::unique(program.m_lines.begin(), program.m_lines.end(),
                        [](const Line& a, const Line& b) { return a.number == b.number; }),
            program.m_lines.end());
        return program;
    }();
    return table;
}

const StringTable::Line* StringTable::find(int number) const
{
    const auto at =
        std::lower_bound(m_lines.begin(), m_lines.end(), number,
                         [](const Line& entry, int wanted) { return entry.number < wanted; });
    return at != m_lines.end() && at->number == number ? &*at : nullptr;
}

std::optional<QString> StringTable::text(int number) const
{
    const Line* line = find(number);
    if (!line)
        return std::nullopt;
    QString why;
    return unescape(QString::fromUtf8(QByteArrayView(m_source).sliced(line->from, line->size)),
                    &why);
}

QString StringTable::require(int number) const
{
    std::optional<QString> found = text(number);
    if (!found)
        throw Platform::RunTimeError(
            Platform::RunTimeError::ResourceNotFound,
            QStringLiteral("Resource with identifier '%1' not found").arg(number));
    return *std::move(found);
}

QList<int> StringTable::numbers() const
{
    QList<int> numbers;
    numbers.reserve(qsizetype(m_lines.size()));
    for (const Line& line : m_lines)
        numbers.append(line.number);
    return numbers;
}

} // namespace Global
