// SPDX-License-Identifier: GPL-3.0-or-later
// The rank of a display text for a clue: the rules and the formula, with the
// characters that search keys drop skipped on both sides.
#include "index/Search.h"
#include "shared/Formatting.h"

#include <gtest/gtest.h>

using namespace Indexing;

namespace {

// Values as they stand in display texts, each with other ways of typing it.
const struct
{
    const char* shown;
    std::vector<const char*> typed;
} Values[] = {
    {"LS1 0NG", {"LS1 0NG", "LS10NG", "ls1 0ng", " LS1  0NG "}},
    {"SW1A 1AA", {"SW1A1AA", "sw1a-1aa"}},
    {"01632 960048", {"01632 960048", "01632960048", "01632-960048", "(01632) 960048"}},
    {"+44 1632 960048", {"441632960048", "+44 (1632) 960048"}},
    {"O'Brien", {"O'Brien", "OBrien", "o brien", "O'BRIEN"}},
    {"Smith-Jones", {"Smith-Jones", "smithjones", "Smith Jones"}},
    {"Mary O'Brien-Smith", {"Mary O'Brien-Smith", "maryobriensmith", "Mary OBrien Smith"}},
};

// A rule's rank, or what the formula gives.
bool possibleRank(int rank)
{
    return (rank >= 1 && rank <= 90) || rank == 93 || rank == 95 || rank == 97 || rank == 100;
}

} // namespace

TEST(Ranking, RulesInOrderThenTheFormula)
{
    const QString tail = QString(200, QLatin1Char('a')) + QLatin1Char('z');
    const struct
    {
        const char* clue;
        QString candidate;
        int rank;
    } cases[] = {
        {"SMITH", "Smith", 100},
        {"SMITH", "Smith Jones", 97},
        {"SMITH", "Jones Smith", 95},
        {"SMITH", "Jones Smith Brown", 95},
        {"SMITH", "Smithson", 93},
        {"SMITH", "", 1},
        // Found in the upper-cased candidate: p = 4, L = 11.
        {"SMITH", "Mr Smithson", 48},
        // Absent even with the dropped characters skipped: a = 0.
        {"SMITH", "Jonathan", 27},
        {"SMITHSON", "Smit", 90},
        {"SMITHSONIAN", "Sm", 90},
        // Late and short: never below 1.
        {"Z", tail, 1},
        // One character at a time: the sharp s keeps its length.
        {"STRASSE", "Straße", 52},
        // The candidate's dropped characters are skipped for every rule.
        {"OBRIEN", "O'Brien Jones", 97},
        {"o'brien", "Dr O'Brien", 95},
        {"LS10", "LS1 0NG", 93},
        {"01632960048", "Tel. 01632 960048", 95},
        // A gap typed in the clue must meet one in the candidate for the
        // rules; elsewhere only the formula counts (p = 1, L = 8).
        {"LS1 0", "LS1 0NG", 93},
        {"LS1 0", "LS10 1AB", 61},
        {"LS10", "LS10 1AB", 97},
        {"0163 2960048", "01632 960048", 81},
        // Found only with the dropped characters skipped: p = 5, L = 15.
        {"SMITHJ", "Mr. Smith-Jones", 47},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(func_GetRanking(QString::fromUtf8(c.clue), c.candidate), c.rank)
            << c.clue << " in " << c.candidate.toStdString();
    }
}

TEST(Ranking, AWholeValueTypedAnyWayRanksAboveEveryPrefixOfIt)
{
    for (const auto& value : Values) {
        const QString shown = QString::fromUtf8(value.shown);
        for (const char* typedText : value.typed) {
            const QString typed = QString::fromUtf8(typedText);
            EXPECT_EQ(func_GetRanking(typed, shown), 100) << typedText << " for " << value.shown;
            // Each shorter clue, as typed so far.
            const qsizetype whole = Global::MakeSearchKey(typed).size();
            for (qsizetype n = 1; n < typed.size(); ++n) {
                const QString prefix = typed.left(n);
                const qsizetype key = Global::MakeSearchKey(prefix).size();
                if (key == 0 || key == whole)
                    continue;
                const int rank = func_GetRanking(prefix, shown);
                EXPECT_LT(rank, 100) << prefix.toStdString() << " for " << value.shown;
                EXPECT_TRUE(possibleRank(rank)) << prefix.toStdString() << ": " << rank;
            }
        }
    }
}

TEST(Ranking, EveryRankIsARulesOrTheFormulasWithinItsRange)
{
    QStringList texts{"",           " ",       "'",      "A",
                      "a b",        "Smith",   "S mith", "Smith & Sons Ltd",
                      "LS10 1AB",   "LS1 0NG", "-LS1-",  "Straße 12",
                      "x y z x y z"};
    for (const auto& value : Values) {
        texts << QString::fromUtf8(value.shown);
        for (const char* typed : value.typed)
            texts << QString::fromUtf8(typed);
    }
    // Every clue against every candidate, and every piece of each as a clue.
    QStringList clues = texts;
    for (const QString& text : texts) {
        for (qsizetype from = 0; from < text.size(); ++from)
            clues << text.mid(from, 3) << text.mid(from);
    }
    for (const QString& clue : clues) {
        for (const QString& candidate : texts) {
            const int rank = func_GetRanking(clue, candidate);
            EXPECT_TRUE(possibleRank(rank))
                << clue.toStdString() << " in " << candidate.toStdString() << ": " << rank;
        }
    }
}
