// SPDX-License-Identifier: GPL-3.0-or-later
#include "Ranking.h"

#include "Search.h"
#include "platform/Cp1252.h"
#include "shared/Formatting.h"
#include "shared/Tweaks.h"

namespace Indexing {

char16_t keyOf(QChar c)
{
    const QString key = Global::MakeSearchKey(QString(c));
    return key.isEmpty() ? NoKey : key[0].unicode();
}

const CharTables& charTables()
{
    static CharTables tables = [] {
        CharTables t{};
        for (int c = 0; c < 256; ++c)
            t.byteChar[size_t(c)] =
                Platform::Cp1252::toChar(static_cast<unsigned char>(c)).unicode();
        return t;
    }();
    static int builtFor = -1;
    if (builtFor != Global::tweakGeneration()) {
        for (int c = 0; c < 256; ++c) {
            const int key = Global::searchKeyOfLatin1(char16_t(c));
            tables.latinKey[size_t(c)] = key < 0 ? NoKey : char16_t(key);
        }
        for (int c = 0; c < 256; ++c) {
            const char16_t decoded = tables.byteChar[size_t(c)];
            tables.byteKey[size_t(c)] =
                decoded < 256 ? tables.latinKey[decoded] : keyOf(QChar(decoded));
        }
        builtFor = Global::tweakGeneration();
    }
    return tables;
}

RankingClue::RankingClue(const QString& typed)
{
    // A clue typed in any script takes the Latin form that names are given
    // in the suite's files, so that it finds them.
    const QString clue = Platform::Cp1252::transliterate(typed);
    m_key = Global::MakeSearchKey(clue);
    // The key keeps the clue's characters that are not dropped, in order; a
    // gap is dropped characters between two kept ones.
    const Utf16Text text{clue, charTables()};
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

qint16 func_GetRanking(const QString& clue, const QString& candidate)
{
    const RankingClue key(clue);
    const Utf16Text text{candidate, charTables()};
    return guardedRank(key, text, occurrencesOf(text, key));
}

} // namespace Indexing
