// SPDX-License-Identifier: GPL-3.0-or-later
// For bench/startup.sh: writes the FTS5 trigram table of a demo workspace's
// Name values into a database file, and prints the query that searches it for
// a clue, so that the sqlite3 shell's answer can be timed beside vantix's.
//
//   startup_fts_table WORKSPACE DATABASE CLUE > query.sql
#include "FtsNames.h"
#include "platform/ConsoleUiHost.h"
#include "platform/RegistryHive.h"
#include "shared/Paths.h"
#include "shared/Settings.h"

#include <QCoreApplication>
#include <QFile>

#include <sqlite3.h>

#include <cstdio>
#include <exception>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "Usage: startup_fts_table WORKSPACE DATABASE CLUE\n");
        return 2;
    }
    const QString workspace = QFile::decodeName(argv[1]);
    Platform::ConsoleUiHost host;
    Platform::setUiHost(&host);
    sqlite3* db = nullptr;
    try {
        Global::setSettingsHive(
            Platform::RegistryHive::open(workspace + QStringLiteral("/registry.sqlite3")));
        Global::GetDataFolder(QString(), true);
        QFile::remove(QFile::decodeName(argv[2]));
        if (sqlite3_open(argv[2], &db) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db));
        const int values = Bench::fillFtsNames(db, workspace + QStringLiteral("/Filing"));
        std::fprintf(stderr, "%d Name values in %s\n", values, argv[2]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "startup_fts_table: %s\n", error.what());
        sqlite3_close(db);
        return 1;
    }
    sqlite3_close(db);
    // The clue bound as the benchmark binds it, written into the query.
    QByteArray query(Bench::FtsNamesQuery);
    query.replace("?1", "'" + Bench::ftsPhrase(argv[3]).replace("'", "''") + "'");
    std::printf("%s;\n", query.constData());
    return 0;
}
