// SPDX-License-Identifier: GPL-3.0-or-later
#include "SearchKeys.h"

#include "Packing.h"
#include "platform/RunTimeError.h"
#include "shared/Formatting.h"
#include "shared/Messages.h"

#include <array>

namespace Indexing {
namespace {

constexpr int GroupSize = 4;
constexpr qint16 KGroup = 9;

// The 20 groups of four characters, Latin-1; 0 fills a group's blanks so
// that a blank never matches.
constexpr unsigned char CellTable[TableEntries][GroupSize] = {
    {'A', 0xC0, 0xC1, 0},   {'B', '1', 0xC3, 0xC5}, {'C', '2', 0xC7, 0},    {'D', '3', 0xD0, 0},
    {'F', '4', 0xC8, 0xC9}, {'G', '5', 0xCA, 0xCB}, {'H', '6', 0xCC, 0xCD}, {'I', 'J', 0xCE, 0xCF},
    {'K', '7', 0xD2, 0xD3}, {'L', '8', 0xC6, 0},    {'M', '9', 0xD4, 0xD5}, {'N', 'O', 0xD1, 0},
    {'P', '0', 0xD6, 0xD8}, {'Q', 'V', 0xD9, 0xDA}, {'R', 0xC4, 0xC2, 0},   {'S', 0xDF, 0, 0},
    {'T', 0xDE, 0, 0},      {'U', 'W', 0xDB, 0xDC}, {'X', 'Z', 0xD7, 0},    {'Y', 'E', 0xDD, 0},
};

// The group of every Latin-1 character, 0 for those the table lacks. The
// first occurrence wins, as a search of the table's text would find it.
const std::array<qint16, 256>& groups()
{
    static const std::array<qint16, 256> table = [] {
        std::array<qint16, 256> g{};
        for (int group = TableEntries; group >= 1; --group) {
            for (int k = GroupSize - 1; k >= 0; --k)
                g[CellTable[group - 1][k]] = static_cast<qint16>(group);
        }
        return g;
    }();
    return table;
}

qint16 groupOf(QChar ch)
{
    if (ch.unicode() > 0xFF)
        return KGroup;
    const qint16 group = groups()[ch.unicode()];
    return group ? group : KGroup;
}

bool isStopWord(const QString& word)
{
    return word == QLatin1String("LTD") || word == QLatin1String("PLC") ||
           word == QLatin1String("UK");
}

// Characters 0 to 2 mark an entry's parts and never stand in a match text.
QString withoutMarks(QString text)
{
    text.removeIf([](QChar ch) { return ch.unicode() <= 2; });
    return text;
}

} // namespace

Cell cellOf(QStringView key)
{
    const auto at = [&](qsizetype i) { return i < key.size() ? groupOf(key[i]) : KGroup; };
    return Cell{at(0), at(1), at(2)};
}

void CalculateCell(QString& Key, qint16& Cell1, qint16& Cell2, qint16& Cell3, bool Reverse)
{
    Global::guarded("Indexing:CalculateCell", [&] {
        if (!Reverse) {
            const Cell cell = cellOf(Key);
            Cell1 = cell.c1;
            Cell2 = cell.c2;
            Cell3 = cell.c3;
            return;
        }
        QString key;
        for (const qint16 c : {Cell1, Cell2, Cell3}) {
            if (c < 1 || c > TableEntries)
                throw Platform::RunTimeError(Platform::RunTimeError::SubscriptOutOfRange);
            for (const unsigned char ch : CellTable[c - 1])
                key += QChar(ch);
        }
        Key = key;
    });
}

KeyWords keyWords(const QString& value, int index, int kind)
{
    KeyWords result;
    result.match = withoutMarks(Global::MakeSearchKey(value));
    const QString words = Global::MakeSearchKey(value, true);
    const auto take = [&](const QString& word) {
        const QString key = withoutMarks(Global::MakeSearchKey(word));
        if (!key.isEmpty() && !isStopWord(key))
            result.words.append(key);
    };
    QString word;
    for (const QChar ch : words + QLatin1Char(' ')) {
        if (ch == QLatin1Char(' ') || ch == QLatin1Char(',') || ch == QLatin1Char('.') ||
            ch == QLatin1Char('-')) {
            take(word);
            word.clear();
        } else {
            word += ch;
        }
    }
    if (index == NameIndex && kind == 3) {
        const QStringList items = words.trimmed().split(QLatin1Char(' '));
        if (items.size() > 1) {
            QString initials;
            for (const QString& item : items) {
                if (!item.isEmpty())
                    initials += item[0];
            }
            result.match += withoutMarks(Global::MakeSearchKey(initials));
            take(initials);
        }
    }
    return result;
}

QStringList GetIndexedFields()
{
    return Global::guarded("Indexing:GetIndexedFields", [] {
        return QStringList{QStringLiteral("Name|1"), QStringLiteral("Postcode|2"),
                           QStringLiteral("Phone/Fax/E-mail|3"),
                           QStringLiteral("User-defined 1|4")};
    });
}

} // namespace Indexing
