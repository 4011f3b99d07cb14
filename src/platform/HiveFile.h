// SPDX-License-Identifier: GPL-3.0-or-later
// The settings hive's file: opening it (telling a hive of ours from other files, setting up a
// blank one, the ways in when it may not be written) and the messages that name it. The store
// itself is RegistryHive.cpp.
#pragma once

#include "RegistryHive.h"

#include <sqlite3.h>

#include <memory>

namespace Platform::Hive {

struct StatementFinalizer
{
    void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using StatementPtr = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

struct ConnectionCloser
{
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using ConnectionPtr = std::unique_ptr<sqlite3, ConnectionCloser>;

// "The settings file "PATH" " followed by `what`.
QString fileMessage(const QString& path, const QString& what);
[[noreturn]] void failFile(const QString& path, const QString& what);
// What the last failed call on `db` means for the user: damage, a file or a companion file that
// may not be written (named), or SQLite's own words.
HiveError sqliteError(const QString& path, sqlite3* db);
void execute(sqlite3* db, const QString& path, const char* sql);
bool isReadOnly(sqlite3* db);

// "could not be written: the disk it is on is full. ..." for fileMessage.
QString diskFullText();

// A connection to the hive file, ready for the store.
struct OpenedHive
{
    ConnectionPtr db;
    bool created = false;    // the file was made
    QString readOnlyBecause; // why a hive that may be written was opened for reading only
};
OpenedHive openConnection(const QString& path, RegistryHive::Missing missing);
// A hive of nothing in memory; `path` names it in messages.
ConnectionPtr openInMemory(const QString& path);

} // namespace Platform::Hive
