// SPDX-License-Identifier: GPL-3.0-or-later
#include "FtsNames.h"

#include "index/Build.h"
#include "index/Packing.h"

#include <QDirIterator>

#include <sqlite3.h>

#include <stdexcept>

namespace Bench {
namespace {

void exec(sqlite3* db, const char* sql)
{
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db));
}

} // namespace

int fillFtsNames(sqlite3* db, const QString& filingRoot)
{
    exec(db, "CREATE VIRTUAL TABLE names USING fts5(value, display UNINDEXED, ref UNINDEXED, "
             "kind UNINDEXED, tokenize='trigram')");
    exec(db, "BEGIN");
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO names VALUES (?1, ?2, ?3, ?4)", -1, &insert, nullptr);
    int count = 0;
    QDirIterator it(filingRoot, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const Indexing::FolderIndexValues gathered = Indexing::gatherIndexValues(it.next());
        const QString& values = gathered.values[Indexing::NameIndex - 1];
        if (values.isEmpty() || gathered.ref.isEmpty())
            continue;
        const QStringList valueList = values.split(QChar(0));
        const QStringList displayList = gathered.displays[Indexing::NameIndex - 1].split(QChar(0));
        const QByteArray ref = gathered.ref.toUtf8();
        for (qsizetype i = 0; i < valueList.size(); ++i) {
            const QByteArray value = valueList[i].toUtf8();
            const QByteArray display = displayList.value(i).toUtf8();
            sqlite3_bind_text(insert, 1, value.constData(), int(value.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 2, display.constData(), int(display.size()),
                              SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 3, ref.constData(), int(ref.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int(insert, 4, gathered.kind);
            sqlite3_step(insert);
            sqlite3_reset(insert);
            ++count;
        }
    }
    sqlite3_finalize(insert);
    exec(db, "COMMIT");
    return count;
}

QByteArray ftsPhrase(const char* clue)
{
    return QByteArray("\"") + clue + '"';
}

} // namespace Bench
