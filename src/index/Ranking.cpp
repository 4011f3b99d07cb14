// SPDX-License-Identifier: GPL-3.0-or-later
#include "Ranking.h"

#include "Search.h"
#include "platform/Cp1252.h"
#include "shared/Formatting.h"
#include "shared/Messages.h"
#include "shared/Tweaks.h"

namespace Indexing {

bool droppedBeyondLatin1(QChar c)
{
    return Global::MakeSearchKey(QString(c)).isEmpty();
}

const CharTables& charTables()
{
    static CharTables tables = [] {
        CharTables t{};
        for (int c = 0; c < 256; ++c) {
            t.latinUpper[size_t(c)] = QChar(c).toUpper().unicode();
            const QChar decoded = Platform::Cp1252::toChar(static_cast<unsigned char>(c));
            t.byteChar[size_t(c)] = decoded.unicode();
            t.byteUpper[size_t(c)] = decoded.toUpper().unicode();
        }
        return t;
    }();
    // Which characters are dropped is the search keys' own rule, asked of
    // them once for each character.
    static int builtFor = -1;
    if (builtFor != Global::tweakGeneration()) {
        for (int c = 0; c < 256; ++c)
            tables.latinDropped[size_t(c)] = Global::MakeSearchKey(QString(QChar(c))).isEmpty();
        for (int c = 0; c < 256; ++c) {
            const char16_t decoded = tables.byteChar[size_t(c)];
            tables.byteDropped[size_t(c)] =
                decoded < 256 ? tables.latinDropped[decoded] : droppedBeyondLatin1(QChar(decoded));
        }
        builtFor = Global::tweakGeneration();
    }
    return tables;
}

RankingClue::RankingClue(const QString& typed) : m_key(Global::MakeSearchKey(typed))
{
    // The key keeps the typed clue's characters that are not dropped, in
    // order; a gap is dropped characters between two kept ones.
    const Utf16Text text{typed, charTables()};
    m_gaps.assign(size_t(m_key.size()), false);
    qsizetype kept = 0;
    bool dropped = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.droppedAt(i)) {
            dropped = kept > 0;
            continue;
        }
        if (kept < m_key.size())
            m_gaps[size_t(kept)] = dropped;
        ++kept;
        dropped = false;
    }
    if (kept != m_key.size())
        m_gaps.assign(size_t(m_key.size()), false); // a character the key spells otherwise
}

template <typename Text>
qint16 guardedRank(const RankingClue& clue, const Text& candidate, const Occurrences& found)
{
    return Global::guarded("Indexing:func_GetRanking",
                           [&]() -> qint16 { return rankOf(clue, candidate, found); });
}
template qint16 guardedRank(const RankingClue&, const Utf16Text&, const Occurrences&);
template qint16 guardedRank(const RankingClue&, const ByteText&, const Occurrences&);

qint16 func_GetRanking(const QString& clue, const QString& candidate)
{
    const RankingClue key(clue);
    const Utf16Text text{candidate, charTables()};
    return guardedRank(key, text, occurrencesOf(text, key));
}

} // namespace Indexing
