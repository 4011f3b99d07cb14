// SPDX-License-Identifier: GPL-3.0-or-later
#include "HiveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSet>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Platform::Hive {
namespace {

// Stamped into the file header so that a database of another program is never taken for a hive.
constexpr int ApplicationId = 0x56584852;
constexpr int SchemaVersion = 1;
constexpr int BusyTimeoutMs = 5000;

// fpath is the key's folded full path: empty for the root, "\A\B" below it. Every key of the
// subtree of P therefore has fpath P or one in [P + "\", P + "]"), which one index range finds.
// Folded names are BLOBs because they take part in comparisons and may hold NUL characters;
// SQLite compares BLOBs bytewise. hive_values.id records the creation order: an update keeps
// the row, and a new row always gets an id above every existing one.
const char SchemaSql[] = R"(
CREATE TABLE hive_keys(
    id INTEGER PRIMARY KEY,
    parent INTEGER REFERENCES hive_keys(id),
    fpath BLOB NOT NULL UNIQUE,
    name TEXT NOT NULL
);
CREATE INDEX hive_keys_children ON hive_keys(parent, fpath);
CREATE TABLE hive_values(
    id INTEGER PRIMARY KEY,
    key INTEGER NOT NULL REFERENCES hive_keys(id),
    fname BLOB NOT NULL,
    name TEXT NOT NULL,
    data TEXT,
    UNIQUE(key, fname)
);
INSERT INTO hive_keys(parent, fpath, name) VALUES(NULL, x'', '');
)";

// The files that SQLite keeps beside a hive while it is in use.
const char* const CompanionSuffixes[] = {"-shm", "-wal"};

const QSet<QString>& hiveTables()
{
    static const QSet<QString> tables{QStringLiteral("hive_keys"), QStringLiteral("hive_values")};
    return tables;
}

[[noreturn]] void failNotHive(const QString& path, const QString& why)
{
    failFile(path, QStringLiteral("is not a settings hive (%1).").arg(why));
}

// Whether this process may write the file: its permissions for this user, a read-only file
// system and an immutable file all say no.
bool mayWrite(const QString& path)
{
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

bool isDamage(int code)
{
    return (code & 0xff) == SQLITE_CORRUPT || (code & 0xff) == SQLITE_NOTADB;
}

// Opens a connection; on failure returns null and leaves SQLite's message in `error`.
ConnectionPtr connect(const QByteArray& name, int flags, QString* error)
{
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(name.constData(), &raw, flags, nullptr);
    ConnectionPtr db(raw);
    if (rc != SQLITE_OK) {
        *error = db ? QString::fromUtf8(sqlite3_errmsg(db.get()))
                    : QString::fromUtf8(sqlite3_errstr(rc));
        return nullptr;
    }
    sqlite3_extended_result_codes(db.get(), 1);
    sqlite3_busy_timeout(db.get(), BusyTimeoutMs);
    return db;
}

// What a database holds, as far as telling ours from others goes.
struct Layout
{
    int applicationId = 0;
    int userVersion = 0;
    int schemaObjects = 0;
    QSet<QString> tables;
};

// Reads the layout; returns SQLite's result code instead of throwing, because some failures
// call for another way of opening the file.
int readLayout(sqlite3* db, Layout& layout)
{
    const auto readInt = [db](const char* sql, int& out) {
        sqlite3_stmt* raw = nullptr;
        int rc = sqlite3_prepare_v2(db, sql, -1, &raw, nullptr);
        StatementPtr stmt(raw);
        if (rc != SQLITE_OK)
            return rc;
        rc = sqlite3_step(stmt.get());
        if (rc == SQLITE_ROW)
            out = sqlite3_column_int(stmt.get(), 0);
        return rc == SQLITE_ROW || rc == SQLITE_DONE ? SQLITE_OK : rc;
    };
    layout = Layout{};
    if (int rc = readInt("PRAGMA application_id", layout.applicationId); rc != SQLITE_OK)
        return rc;
    if (int rc = readInt("PRAGMA user_version", layout.userVersion); rc != SQLITE_OK)
        return rc;

    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(db, "SELECT type, name FROM sqlite_schema", -1, &raw, nullptr);
    StatementPtr stmt(raw);
    if (rc != SQLITE_OK)
        return rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
        ++layout.schemaObjects;
        const auto* type = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0));
        const QString name =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 1)));
        if (qstrcmp(type, "table") == 0 && !name.startsWith(QLatin1String("sqlite_")))
            layout.tables.insert(name);
    }
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

// Throws unless the database is a hive of a version we read.
void checkLayout(const Layout& layout, const QString& path)
{
    if (layout.applicationId == 0 && layout.schemaObjects == 0)
        failNotHive(path, QStringLiteral("it is a database that holds nothing"));
    if (layout.applicationId == 0)
        failNotHive(path, QStringLiteral("it holds the tables of another program"));
    if (layout.applicationId != ApplicationId)
        failNotHive(path, QStringLiteral("it belongs to another program"));
    if (layout.userVersion > SchemaVersion)
        failFile(path, QStringLiteral("was written by a newer version of this program (format "
                                      "%1; this version reads up to format %2).")
                           .arg(layout.userVersion)
                           .arg(SchemaVersion));
    if (layout.userVersion != SchemaVersion || layout.tables != hiveTables())
        failNotHive(path, QStringLiteral("its tables are not those of a settings hive"));
}

// Whether the last failure on `db` (result code `code`) was for want of room on the disk. The
// -shm file that SQLite sizes at a connection's first read fails as a short write does.
bool isDiskFull(sqlite3* db, int code)
{
    if ((code & 0xff) == SQLITE_FULL || code == SQLITE_IOERR_SHMSIZE)
        return true;
    const int error = sqlite3_system_errno(db);
    return (code & 0xff) == SQLITE_IOERR && (error == ENOSPC || error == EDQUOT);
}

// Sets up the database of a new hive.
void initialise(sqlite3* db, const QString& path)
{
    execute(db, path, "PRAGMA journal_mode = WAL; BEGIN IMMEDIATE");
    try {
        execute(db, path, SchemaSql);
        const QByteArray pragmas = "PRAGMA application_id = " + QByteArray::number(ApplicationId) +
                                   "; PRAGMA user_version = " + QByteArray::number(SchemaVersion) +
                                   "; COMMIT";
        execute(db, path, pragmas.constData());
    } catch (...) {
        if (!sqlite3_get_autocommit(db))
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

void removeWithCompanions(const QByteArray& local)
{
    ::unlink(local.constData());
    for (const char* suffix : CompanionSuffixes)
        ::unlink((local + suffix).constData());
}

// Makes the hive at `path` whole under another name beside it and only then gives it its name,
// never over a file that is there: a file at the path is a hive, or no hive at all, and is never
// one half made. False when another process made it meanwhile.
bool createHive(const QString& path)
{
    const QByteArray local = QFile::encodeName(path);
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = local + ".new-" + QByteArray::number(quint32(::getpid())) + '-' +
                    QByteArray::number(QRandomGenerator::global()->generate(), 36);
        fd = ::open(temporary.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        failFile(path, QStringLiteral("cannot be created (%1).")
                           .arg(QString::fromLocal8Bit(std::strerror(errno))));
    ::close(fd);
    try {
        QString error;
        ConnectionPtr db = connect(temporary, SQLITE_OPEN_READWRITE, &error);
        if (!db)
            failFile(path, QStringLiteral("cannot be created (%1).").arg(error));
        initialise(db.get(), path);
        // Closing checkpoints the new hive and removes its companion files.
        db.reset();
    } catch (...) {
        removeWithCompanions(temporary);
        throw;
    }
    // A hard link never replaces a file; where the file system has none, a rename that may not.
    int named = ::link(temporary.constData(), local.constData());
    if (named != 0 && errno != EEXIST)
        named = ::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, local.constData(),
                            RENAME_NOREPLACE);
    const int failure = errno;
    removeWithCompanions(temporary);
    if (named == 0 || failure == EEXIST)
        return named == 0;
    failFile(path, QStringLiteral("cannot be created (%1).")
                       .arg(QString::fromLocal8Bit(std::strerror(failure))));
}

// Reading the file as immutable takes no locks and makes no -shm or -wal file; writes that
// someone else makes meanwhile go unseen, and so does what a -wal file left without its -shm
// still holds.
QByteArray immutableUri(const QString& path)
{
    const QByteArray local = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    QByteArray uri = "file:";
    for (const char c : local) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '/' || c == '-' || c == '.' || c == '_' ||
                           c == '~';
        if (plain) {
            uri += c;
        } else {
            uri += '%';
            uri += QByteArray::number(uchar(c), 16).rightJustified(2, '0');
        }
    }
    return uri + "?immutable=1";
}

bool hasCompanions(const QString& path)
{
    for (const char* suffix : CompanionSuffixes) {
        if (!QFileInfo::exists(path + QLatin1String(suffix)))
            return false;
    }
    return true;
}

// Reads the raw header of an existing file: whether it is a hive of ours by its mark. Throws
// when it is empty, no SQLite database, or one that another program marked as its own.
bool markedOurs(const QString& path)
{
    // Read with the system's calls: every scripted call comes here, and Qt's file engine would
    // be one more thing to load.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    QByteArray header(100, Qt::Uninitialized);
    const ssize_t got = fd < 0 ? -1 : ::pread(fd, header.data(), size_t(header.size()), 0);
    const int failure = errno;
    if (fd >= 0)
        ::close(fd);
    if (got < 0)
        failFile(path, QStringLiteral("cannot be read (%1).")
                           .arg(QString::fromLocal8Bit(std::strerror(failure))));
    header.truncate(got);
    // A hive is made whole before it has its name, so an empty file is none.
    if (header.isEmpty())
        failNotHive(path, QStringLiteral("it is empty"));
    static const QByteArray magic("SQLite format 3", 16);
    if (!header.startsWith(magic))
        failNotHive(path, QString::fromUtf8(sqlite3_errstr(SQLITE_NOTADB)));
    if (header.size() < 72)
        return false;
    const quint32 id = quint32(uchar(header[68])) << 24 | quint32(uchar(header[69])) << 16 |
                       quint32(uchar(header[70])) << 8 | quint32(uchar(header[71]));
    if (id != 0 && id != quint32(ApplicationId))
        failNotHive(path, QStringLiteral("it belongs to another program"));
    return id != 0;
}

bool holdsNoLog(const QString& path)
{
    struct stat status = {};
    return ::stat(QFile::encodeName(path + QStringLiteral("-wal")).constData(), &status) != 0 ||
           status.st_size == 0;
}

// Looks at an existing file without ever writing to it, through a read-only connection, and
// returns that connection. `diskFull` is set when the file could only be read as it stands,
// for want of room for the -shm file.
ConnectionPtr inspect(const QString& path, bool writable, bool& diskFull)
{
    // A read-only connection to a WAL database makes the -wal and -shm files when they are
    // missing and the folder is writable, with the permissions of the database file. For a file
    // we may not write, those would be read-only too, and stay so after the file is writable
    // again: every later write would fail until someone deleted them. Such a file is read as
    // immutable unless both are there already. In a folder we cannot write they may be missing
    // and cannot be made; immutable is then the only way in. So it is on a full disk, where
    // the -shm file cannot be sized: reading the file as it stands then misses nothing as long
    // as its -wal file holds nothing.
    QString error;
    const auto openFrozen = [&] {
        return connect(immutableUri(path), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, &error);
    };
    const bool frozenFirst = !writable && !hasCompanions(path);
    ConnectionPtr db =
        frozenFirst ? openFrozen() : connect(QFile::encodeName(path), SQLITE_OPEN_READONLY, &error);
    if (!db)
        failFile(path, QStringLiteral("cannot be opened (%1).").arg(error));
    Layout layout;
    int rc = readLayout(db.get(), layout);
    const bool full = !frozenFirst && isDiskFull(db.get(), rc) && holdsNoLog(path);
    if (!frozenFirst && (full || (rc & 0xff) == SQLITE_CANTOPEN || rc == SQLITE_READONLY_CANTINIT ||
                         rc == SQLITE_READONLY_DIRECTORY)) {
        ConnectionPtr frozen = openFrozen();
        if (frozen && readLayout(frozen.get(), layout) == SQLITE_OK) {
            db = std::move(frozen);
            rc = SQLITE_OK;
            diskFull = full;
        }
    }
    if (rc != SQLITE_OK) {
        const QString detail = QString::fromUtf8(sqlite3_errmsg(db.get()));
        if ((rc & 0xff) == SQLITE_NOTADB)
            failNotHive(path, detail);
        if (isDamage(rc))
            throw HiveError::damage(path, detail, false);
        failFile(path, QStringLiteral("cannot be read (%1).").arg(detail));
    }
    checkLayout(layout, path);
    return db;
}

void configure(sqlite3* db, const QString& path)
{
    execute(db, path, "PRAGMA synchronous = NORMAL; PRAGMA foreign_keys = ON;");
    if (!isReadOnly(db))
        execute(db, path, "PRAGMA journal_mode = WAL;");
}

// A connection that may write the hive, or none.
ConnectionPtr connectWriter(const QString& path)
{
    QString error;
    ConnectionPtr db = connect(QFile::encodeName(path), SQLITE_OPEN_READWRITE, &error);
    Layout layout;
    if (!db || isReadOnly(db.get()) || readLayout(db.get(), layout) != SQLITE_OK)
        return nullptr;
    checkLayout(layout, path);
    return db;
}

OpenedHive openFile(const QString& path, RegistryHive::Missing missing)
{
    OpenedHive opened;
    struct stat status = {};
    const bool exists = ::stat(QFile::encodeName(path).constData(), &status) == 0;
    if (exists && S_ISDIR(status.st_mode))
        failFile(path, QStringLiteral("is a folder."));
    if (!exists) {
        if (missing == RegistryHive::Missing::Refuse)
            failFile(path, QStringLiteral("does not exist."));
        if (!QDir().mkpath(QFileInfo(path).absolutePath()))
            failFile(path, QStringLiteral("cannot be created: its folder cannot be made."));
        // Made here, or by another process meanwhile: either way it is opened as it is now.
        opened.created = createHive(path);
    }

    const bool writable = mayWrite(path);
    const bool ours = markedOurs(path);
    // Most calls are of a hive we may write: then the connection we keep is the only one, so
    // that a scripted call reads the schema once. Anything unusual takes the careful way below.
    if (writable && ours && (opened.db = connectWriter(path)))
        return opened;
    bool diskFull = false;
    ConnectionPtr reader = inspect(path, writable, diskFull);
    if (diskFull)
        opened.readOnlyBecause = diskFullText();
    // Looked at again through the connection we keep, in case the file changed in between.
    if (writable && !diskFull && (opened.db = connectWriter(path)))
        return opened;
    opened.db = std::move(reader);
    return opened;
}

} // namespace

QString fileMessage(const QString& path, const QString& what)
{
    return QStringLiteral("The settings file \"%1\" %2").arg(path, what);
}

[[noreturn]] void failFile(const QString& path, const QString& what)
{
    throw HiveError(fileMessage(path, what));
}

QString diskFullText()
{
    return QStringLiteral("could not be written: the disk it is on is full. Free some space on "
                          "that disk and try again; the settings stored before are kept.");
}

HiveError sqliteError(const QString& path, sqlite3* db)
{
    const int code = sqlite3_extended_errcode(db);
    const QString detail = QString::fromUtf8(sqlite3_errmsg(db));
    if (isDamage(code))
        return HiveError::damage(path, detail, false);
    if (isDiskFull(db, code))
        return HiveError(fileMessage(path, diskFullText()));
    if ((code & 0xff) != SQLITE_READONLY)
        return HiveError(fileMessage(path, QStringLiteral("cannot be used (%1).").arg(detail)));
    // The file itself may be writable while a -shm or -wal file beside it, left by another user
    // or by a reader of a read-only file, is not: name it, since nothing else shows it.
    if (mayWrite(path)) {
        for (const char* suffix : CompanionSuffixes) {
            const QString companion = path + QLatin1String(suffix);
            if (!QFileInfo::exists(companion) || mayWrite(companion))
                continue;
            const QString remedy = qstrcmp(suffix, "-shm") == 0
                                       ? QStringLiteral("delete it while no program has the "
                                                        "settings open")
                                       : QStringLiteral("make it writable for this user");
            return HiveError(fileMessage(path, QStringLiteral("cannot be written while its "
                                                              "companion file \"%1\" is "
                                                              "read-only for this user; %2.")
                                                   .arg(companion, remedy)));
        }
    }
    return HiveError(fileMessage(path, QStringLiteral("is read-only (%1).").arg(detail)));
}

void execute(sqlite3* db, const QString& path, const char* sql)
{
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        throw sqliteError(path, db);
}

bool isReadOnly(sqlite3* db)
{
    return sqlite3_db_readonly(db, "main") == 1;
}

OpenedHive openConnection(const QString& path, RegistryHive::Missing missing)
{
    OpenedHive opened = openFile(path, missing);
    configure(opened.db.get(), path);
    return opened;
}

ConnectionPtr openInMemory(const QString& path)
{
    QString error;
    ConnectionPtr db = connect(":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_MEMORY, &error);
    if (!db)
        failFile(path, QStringLiteral("cannot be stood in for (%1).").arg(error));
    initialise(db.get(), path);
    configure(db.get(), path);
    return db;
}

} // namespace Platform::Hive
