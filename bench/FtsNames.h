// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

struct sqlite3;

namespace Bench {

// The peer a user would otherwise pick for the finder's search: SQLite FTS5
// with the trigram tokenizer over the same values and displays.
//
// Creates the table names(value, display, ref, kind) in `db` and fills it with
// every folder's Name values and displays under `filingRoot`, as the rebuild
// gathers them; gives the number of values. Throws std::runtime_error.
int fillFtsNames(sqlite3* db, const QString& filingRoot);

// The query that finds a clue in that table, the clue bound as ?1 and written
// as one phrase (ftsPhrase), so that its letters are matched as typed.
inline constexpr char FtsNamesQuery[] =
    "SELECT value, display, ref, kind FROM names WHERE names MATCH ?1";
QByteArray ftsPhrase(const char* clue);

} // namespace Bench
