// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "shared/Messages.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

// The rank of a hit: how well a display text answers the clue. The clue is
// compared in its search-key form, so the characters that search keys drop
// (blanks, ",.'-", the tweak IrrelevantSearchLetters) are skipped in the
// display text too: "LS10NG" stands in "LS1 0NG", "OBRIEN" in "O'Brien".
// Where the clue as typed held such characters between two of its own
// ("LS1 0"), the rules below hold only for a place in the display text that
// has one there too, so that "LS1 0NG" answers "LS1 0" better than
// "LS10 1AB" does.
namespace Indexing {

// Each character as a search key holds it (upper case, one character at a
// time, so that positions stay those of the text; NoKey for one that search
// keys drop), and the index's bytes as characters: tables for the 256 that
// matter.
inline constexpr char16_t NoKey = 0xFFFF; // a noncharacter: no key holds it
struct CharTables
{
    std::array<char16_t, 256> latinKey; // U+0000 to U+00FF
    std::array<char16_t, 256> byteChar; // a byte of the suite's code page
    std::array<char16_t, 256> byteKey;  // the same as a key holds it
};
// The dropped characters follow the tweaks: built again when they are read
// afresh.
const CharTables& charTables();
// A character as a search key holds it, asked of the search keys' own rule
// (the tables hold it for the first 256).
char16_t keyOf(QChar c);

// A text of QString's characters.
struct Utf16Text
{
    QStringView text;
    const CharTables& tables;
    qsizetype size() const { return text.size(); }
    QChar at(qsizetype i) const { return text[i]; }
    char16_t keyAt(qsizetype i) const
    {
        const QChar c = text[i];
        return c.unicode() < 256 ? tables.latinKey[c.unicode()] : keyOf(c);
    }
    bool droppedAt(qsizetype i) const { return keyAt(i) == NoKey; }
};

// A text of an index's bytes.
struct ByteText
{
    QByteArrayView bytes;
    const CharTables& tables;
    qsizetype size() const { return bytes.size(); }
    QChar at(qsizetype i) const { return QChar(tables.byteChar[index(i)]); }
    char16_t keyAt(qsizetype i) const { return tables.byteKey[index(i)]; }
    bool droppedAt(qsizetype i) const { return keyAt(i) == NoKey; }

private:
    size_t index(qsizetype i) const { return static_cast<unsigned char>(bytes[i]); }
};

// A clue as the ranking reads it: its search key, and before which of the
// key's characters the clue as typed dropped some (a blank, a hyphen).
class RankingClue
{
public:
    explicit RankingClue(const QString& typed);
    const QString& key() const { return m_key; }
    // Whether the typed clue dropped characters just before key()[k].
    bool gapBefore(qsizetype k) const { return m_gaps[size_t(k)]; }

private:
    QString m_key;
    std::vector<bool> m_gaps;
};

// A place of the clue in a text: from its first character to one past its
// last, the dropped characters between them skipped.
struct Span
{
    qsizetype start = -1;
    qsizetype end = -1;
    bool found() const { return start >= 0; }
    qsizetype size() const { return end - start; }
};

// Where the clue stands in a text, compared in upper case.
struct Occurrences
{
    Span first;             // its first place
    Span afterBlank;        // its first place just after a blank
    Span firstWithGaps;     // its first place with a dropped character at each gap
    bool wholeWord = false; // such a place with a blank or an end on either side
};

// The clue's place starting at `at`, the text's dropped characters skipped
// between the clue's characters; `withGaps` says whether each of the clue's
// gaps met one. Not found when `at` holds a dropped character. (Inline, as
// rankOf: they run for every hit.)
template <typename Text>
inline Span matchAt(const Text& text, qsizetype at, const RankingClue& clue, bool& withGaps)
{
    const QString& key = clue.key();
    const qsizetype n = text.size();
    withGaps = true;
    if (key.isEmpty())
        return {at, at};
    if (at >= n || text.keyAt(at) != key[0].unicode())
        return {};
    qsizetype i = at + 1;
    for (qsizetype k = 1; k < key.size(); ++k, ++i) {
        const qsizetype from = i;
        while (i < n && text.droppedAt(i))
            ++i;
        if (i >= n || text.keyAt(i) != key[k].unicode())
            return {};
        if (i == from && clue.gapBefore(k))
            withGaps = false;
    }
    return {at, i};
}

template <typename Text>
Occurrences occurrencesOf(const Text& text, const RankingClue& clue)
{
    Occurrences found;
    const QString& key = clue.key();
    const qsizetype n = text.size();
    const QChar blank = QLatin1Char(' ');
    // Each of the key's characters takes one of the text's. Most places
    // differ at once, and are passed over here.
    for (qsizetype at = 0; at + key.size() <= n; ++at) {
        if (!key.isEmpty() && text.keyAt(at) != key[0].unicode())
            continue;
        bool withGaps = true;
        const Span span = matchAt(text, at, clue, withGaps);
        if (!span.found())
            continue;
        const bool blankBefore = at > 0 && text.at(at - 1) == blank;
        if (!found.first.found())
            found.first = span;
        if (blankBefore && !found.afterBlank.found())
            found.afterBlank = span;
        if (withGaps) {
            if (!found.firstWithGaps.found())
                found.firstWithGaps = span;
            if ((at == 0 || blankBefore) && (span.end == n || text.at(span.end) == blank))
                found.wholeWord = true;
        }
        if (found.afterBlank.found() && found.wholeWord)
            break;
    }
    return found;
}

// The first place of the clue just after a blank; not found when none.
template <typename Text>
Span findAfterBlank(const Text& text, const RankingClue& clue)
{
    for (qsizetype at = 1; at + clue.key().size() <= text.size(); ++at) {
        bool withGaps = true;
        if (text.at(at - 1) == QLatin1Char(' ')) {
            if (const Span span = matchAt(text, at, clue, withGaps); span.found())
                return span;
        }
    }
    return {};
}

// The rules in order: the whole text, its first word, a whole word, its
// start (each read with the dropped characters skipped, at a place that
// keeps the clue's gaps); then a score for where and how much of the text
// the clue covers: an early, long match scores up to 90.
template <typename Text>
inline qint16 rankOf(const RankingClue& clue, const Text& candidate, const Occurrences& found)
{
    const qsizetype n = candidate.size();
    qsizetype lead = 0; // dropped characters before the text's first kept one
    while (lead < n && candidate.droppedAt(lead))
        ++lead;
    const Span place = found.firstWithGaps;
    const bool begins = place.found() && place.start == lead;
    if (begins) {
        qsizetype rest = place.end;
        while (rest < n && candidate.droppedAt(rest))
            ++rest;
        if (rest == n)
            return 100;
        if (candidate.at(place.end) == QLatin1Char(' '))
            return 97;
    }
    if (found.wholeWord)
        return 95;
    if (begins)
        return 93;
    if (n == 0)
        return 1;
    // A clue that the display text does not hold even so (its match text had
    // it) scores by its length alone.
    const double length = double(n);
    const double start = double(found.first.start);
    const double a = found.first.found() ? std::floor((length - (start + 1)) / length * 100) : 0;
    const double b = std::floor(double(clue.key().size()) / length * 100);
    const double rank = std::floor((a + b) / 200 * 90);
    return qint16(std::clamp(rank, 1.0, 90.0));
}

// rankOf behind the error handler of func_GetRanking.
template <typename Text>
qint16 guardedRank(const RankingClue& clue, const Text& candidate, const Occurrences& found)
{
    return Global::guarded("Indexing:func_GetRanking",
                           [&]() -> qint16 { return rankOf(clue, candidate, found); });
}

} // namespace Indexing
