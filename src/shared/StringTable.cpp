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

} // namespace

StringTable StringTable::parse(QByteArrayView utf8, QStringList* errors)
{
    StringTable table;
    const QString all = QString::fromUtf8(utf8);
    const QList<QStringView> lines = QStringView(all).split(QLatin1Char('\n'));
    auto fail = [&](qsizetype line, const QString& why) {
        if (errors)
            errors->append(QStringLiteral("line %1: %2").arg(line + 1).arg(why));
    };
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QStringView line = lines[n];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        bool ok = false;
        const int number = tab > 0 ? line.left(tab).toInt(&ok) : 0;
        if (!ok) {
            fail(n, QStringLiteral("no number and TAB"));
            continue;
        }
        QString why;
        const std::optional<QString> text = unescape(line.mid(tab + 1), &why);
        if (!text) {
            fail(n, why);
            continue;
        }
        if (table.m_texts.contains(number)) {
            fail(n, QStringLiteral("string %1 is there twice").arg(number));
            continue;
        }
        table.m_texts.insert(number, *text);
    }
    return table;
}

const StringTable& StringTable::instance()
{
    static const StringTable table = parse(QByteArrayView(Resources::StringsText));
    return table;
}

std::optional<QString> StringTable::text(int number) const
{
    const auto it = m_texts.constFind(number);
    if (it == m_texts.cend())
        return std::nullopt;
    return *it;
}

QString StringTable::require(int number) const
{
    const auto it = m_texts.constFind(number);
    if (it == m_texts.cend())
        throw Platform::RunTimeError(
            Platform::RunTimeError::ResourceNotFound,
            QStringLiteral("Resource with identifier '%1' not found").arg(number));
    return *it;
}

QList<int> StringTable::numbers() const
{
    QList<int> numbers = m_texts.keys();
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

} // namespace Global
