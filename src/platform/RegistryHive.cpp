// SPDX-License-Identifier: GPL-3.0-or-later
#include "RegistryHive.h"

#include "Text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>

#include <sqlite3.h>

#include <vector>

namespace Platform {

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

const QSet<QString>& hiveTables()
{
    static const QSet<QString> tables{QStringLiteral("hive_keys"), QStringLiteral("hive_values")};
    return tables;
}

QString fileMessage(const QString& path, const QString& what)
{
    return QStringLiteral("The settings file \"%1\" %2").arg(path, what);
}

[[noreturn]] void failFile(const QString& path, const QString& what)
{
    throw HiveError(fileMessage(path, what));
}

[[noreturn]] void failSqlite(const QString& path, sqlite3* db)
{
    const QString detail = QString::fromUtf8(sqlite3_errmsg(db));
    if ((sqlite3_extended_errcode(db) & 0xff) == SQLITE_READONLY)
        failFile(path, QStringLiteral("is read-only (%1).").arg(detail));
    failFile(path, QStringLiteral("cannot be used (%1).").arg(detail));
}

[[noreturn]] void failNotHive(const QString& path, const QString& why)
{
    failFile(path, QStringLiteral("is not a settings hive (%1).").arg(why));
}

QByteArray foldedName(QStringView name)
{
    return foldCase(name).toUtf8();
}

struct KeyPath
{
    explicit KeyPath(QStringView path)
    {
        for (QStringView part : path.split(u'\\', Qt::SkipEmptyParts)) {
            parts.append(part.toString());
            folded += '\\';
            folded += foldedName(part);
            ends.append(folded.size());
        }
    }

    bool isRoot() const { return parts.isEmpty(); }
    QByteArray prefix(qsizetype depth) const { return folded.left(ends[depth]); }

    QStringList parts;     // as written by the caller
    QByteArray folded;     // the fpath column's form
    QList<qsizetype> ends; // where each part's prefix ends in `folded`
};

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

// One use of a prepared statement. Resetting on the way out ends the statement's read
// transaction, so that the next call sees what other connections have written since.
class Query
{
public:
    Query(sqlite3_stmt* stmt, const QString& path) : m_stmt(stmt), m_path(path) {}
    ~Query() { sqlite3_reset(m_stmt); }
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    Query& bindBlob(int index, const QByteArray& bytes)
    {
        // A null pointer would bind NULL rather than an empty blob.
        const char* data = bytes.isEmpty() ? "" : bytes.constData();
        return check(sqlite3_bind_blob64(m_stmt, index, data, sqlite3_uint64(bytes.size()),
                                         SQLITE_TRANSIENT));
    }
    Query& bindText(int index, const QString& text)
    {
        const QByteArray utf8 = text.toUtf8();
        const char* data = utf8.isEmpty() ? "" : utf8.constData();
        return check(sqlite3_bind_text64(m_stmt, index, data, sqlite3_uint64(utf8.size()),
                                         SQLITE_TRANSIENT, SQLITE_UTF8));
    }
    Query& bindInt(int index, qint64 value)
    {
        return check(sqlite3_bind_int64(m_stmt, index, value));
    }
    Query& bindNull(int index) { return check(sqlite3_bind_null(m_stmt, index)); }

    bool next()
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        failSqlite(m_path, sqlite3_db_handle(m_stmt));
    }
    void run()
    {
        while (next()) {
        }
    }

    qint64 intAt(int column) const { return sqlite3_column_int64(m_stmt, column); }
    bool isNullAt(int column) const { return sqlite3_column_type(m_stmt, column) == SQLITE_NULL; }
    QString textAt(int column) const
    {
        const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
        return QString::fromUtf8(data, sqlite3_column_bytes(m_stmt, column));
    }

private:
    Query& check(int rc)
    {
        if (rc != SQLITE_OK)
            failSqlite(m_path, sqlite3_db_handle(m_stmt));
        return *this;
    }

    sqlite3_stmt* m_stmt;
    const QString& m_path;
};

void execute(sqlite3* db, const QString& path, const char* sql)
{
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        failSqlite(path, db);
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

bool isReadOnly(sqlite3* db)
{
    return sqlite3_db_readonly(db, "main") == 1;
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

enum class FileKind
{
    Blank,
    Hive
};

// Throws unless the database is a hive of a version we read, or holds nothing at all.
FileKind classify(const Layout& layout, const QString& path)
{
    if (layout.applicationId == 0 && layout.schemaObjects == 0)
        return FileKind::Blank;
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
    return FileKind::Hive;
}

// Sets up a blank database. Another process may have done so since we looked, so the layout is
// read again inside the write lock.
void initialise(sqlite3* db, const QString& path)
{
    execute(db, path, "BEGIN IMMEDIATE");
    try {
        Layout layout;
        if (readLayout(db, layout) != SQLITE_OK)
            failSqlite(path, db);
        if (classify(layout, path) == FileKind::Blank) {
            execute(db, path, SchemaSql);
            const QByteArray pragmas =
                "PRAGMA application_id = " + QByteArray::number(ApplicationId) +
                "; PRAGMA user_version = " + QByteArray::number(SchemaVersion) + ";";
            execute(db, path, pragmas.constData());
        }
        execute(db, path, "COMMIT");
    } catch (...) {
        if (!sqlite3_get_autocommit(db))
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

// A read-only connection to a WAL database needs the -shm file, which in a folder we cannot
// write may be missing and cannot be created. Reading the file as immutable (no locks, no -shm)
// is then the only way in; writes that someone else makes meanwhile go unseen.
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

// Looks at an existing file without ever writing to it: first at the raw header, then through
// a read-only connection. Returns that connection.
ConnectionPtr inspect(const QString& path, FileKind& kind)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        failFile(path, QStringLiteral("cannot be read (%1).").arg(file.errorString()));
    const QByteArray header = file.read(100);
    file.close();
    if (header.isEmpty()) {
        kind = FileKind::Blank;
        return nullptr;
    }
    static const QByteArray magic("SQLite format 3", 16);
    if (!header.startsWith(magic))
        failNotHive(path, QString::fromUtf8(sqlite3_errstr(SQLITE_NOTADB)));
    if (header.size() >= 72) {
        const quint32 id = quint32(uchar(header[68])) << 24 | quint32(uchar(header[69])) << 16 |
                           quint32(uchar(header[70])) << 8 | quint32(uchar(header[71]));
        if (id != 0 && id != quint32(ApplicationId))
            failNotHive(path, QStringLiteral("it belongs to another program"));
    }

    QString error;
    ConnectionPtr db = connect(QFile::encodeName(path), SQLITE_OPEN_READONLY, &error);
    if (!db)
        failFile(path, QStringLiteral("cannot be opened (%1).").arg(error));
    Layout layout;
    int rc = readLayout(db.get(), layout);
    if ((rc & 0xff) == SQLITE_CANTOPEN || rc == SQLITE_READONLY_CANTINIT ||
        rc == SQLITE_READONLY_DIRECTORY) {
        ConnectionPtr frozen =
            connect(immutableUri(path), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, &error);
        if (frozen && readLayout(frozen.get(), layout) == SQLITE_OK) {
            db = std::move(frozen);
            rc = SQLITE_OK;
        }
    }
    if (rc != SQLITE_OK) {
        const QString detail = QString::fromUtf8(sqlite3_errmsg(db.get()));
        if ((rc & 0xff) == SQLITE_NOTADB)
            failNotHive(path, detail);
        failFile(path, QStringLiteral("cannot be read (%1).").arg(detail));
    }
    kind = classify(layout, path);
    return db;
}

void configure(sqlite3* db, const QString& path)
{
    execute(db, path, "PRAGMA synchronous = NORMAL; PRAGMA foreign_keys = ON;");
    if (!isReadOnly(db))
        execute(db, path, "PRAGMA journal_mode = WAL;");
}

ConnectionPtr openConnection(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir())
        failFile(path, QStringLiteral("is a folder."));
    QString error;
    if (!info.exists()) {
        if (!QDir().mkpath(info.absolutePath()))
            failFile(path, QStringLiteral("cannot be created: its folder cannot be made."));
        ConnectionPtr db =
            connect(QFile::encodeName(path), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, &error);
        if (!db)
            failFile(path, QStringLiteral("cannot be created (%1).").arg(error));
        initialise(db.get(), path);
        return db;
    }

    FileKind kind = FileKind::Blank;
    ConnectionPtr reader = inspect(path, kind);
    ConnectionPtr db = connect(QFile::encodeName(path), SQLITE_OPEN_READWRITE, &error);
    Layout layout;
    const bool writable = db && !isReadOnly(db.get()) && readLayout(db.get(), layout) == SQLITE_OK;
    // Looked at again through the connection we keep, in case the file changed in between.
    if (writable)
        kind = classify(layout, path);
    if (kind == FileKind::Blank) {
        if (!writable)
            failFile(path, QStringLiteral("is read-only."));
        initialise(db.get(), path);
        return db;
    }
    return writable ? std::move(db) : std::move(reader);
}

enum class ImportAction
{
    CreateKey,
    DeleteKey,
    SetValue,
    DeleteValue
};

struct ImportStep
{
    ImportAction action;
    QString keyPath;
    QString name;
    QString data;
};

[[noreturn]] void failLine(qsizetype line, const QString& what)
{
    throw HiveError(QStringLiteral("Line %1: %2").arg(line).arg(what));
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QStringView trimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

void appendQuoted(QString& out, QStringView text)
{
    static const char hex[] = "0123456789ABCDEF";
    out += u'"';
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        switch (u) {
        case u'\\':
            out += QLatin1String("\\\\");
            break;
        case u'"':
            out += QLatin1String("\\\"");
            break;
        case u'\r':
            out += QLatin1String("\\r");
            break;
        case u'\n':
            out += QLatin1String("\\n");
            break;
        case u'\t':
            out += c;
            break;
        case 0:
            out += QLatin1String("\\0");
            break;
        default:
            if (u < 0x20 || u == 0x7f) {
                out += QLatin1String("\\x");
                out += QLatin1Char(hex[u >> 4]);
                out += QLatin1Char(hex[u & 0xf]);
            } else {
                out += c;
            }
        }
    }
    out += u'"';
}

// Reads the text format into steps, so that a bad line is found before anything is written.
class ImportParser
{
public:
    explicit ImportParser(QString sectionRoot) : m_root(std::move(sectionRoot)) {}

    std::vector<ImportStep> parse(QStringView text)
    {
        if (text.startsWith(QChar(0xfeff)))
            text = text.sliced(1);
        bool sawHeader = false;
        qsizetype lineNumber = 0;
        for (QStringView raw : text.split(u'\n')) {
            m_line = ++lineNumber;
            if (raw.endsWith(u'\r'))
                raw.chop(1);
            const QStringView line = trimBlanks(raw);
            if (line.isEmpty())
                continue;
            if (!sawHeader) {
                if (line != QLatin1String("REGEDIT4") &&
                    line != QLatin1String("Windows Registry Editor Version 5.00"))
                    fail(QStringLiteral("the text does not begin with REGEDIT4."));
                sawHeader = true;
            } else if (line.startsWith(u';')) {
                continue;
            } else if (line.startsWith(u'[')) {
                parseSection(line);
            } else {
                parseValue(line);
            }
        }
        if (!sawHeader) {
            m_line = 1;
            fail(QStringLiteral("the text is empty; REGEDIT4 was expected."));
        }
        return std::move(m_steps);
    }

private:
    enum class Section
    {
        None,
        Key,
        Deleted
    };

    [[noreturn]] void fail(const QString& what) const { failLine(m_line, what); }

    void parseSection(QStringView line)
    {
        // Key names may hold "]", so only the last one closes the section.
        if (!line.endsWith(u']'))
            fail(QStringLiteral("the section name has no closing bracket."));
        QStringView inner = line.sliced(1, line.size() - 2);
        const bool remove = inner.startsWith(u'-');
        if (remove)
            inner = inner.sliced(1);
        const qsizetype rootLength = m_root.size();
        const bool underRoot = inner.size() >= rootLength &&
                               foldCase(inner.first(rootLength)) == foldCase(m_root) &&
                               (inner.size() == rootLength || inner[rootLength] == u'\\');
        if (!underRoot)
            fail(QStringLiteral("the section \"%1\" is not under \"%2\".").arg(inner, m_root));
        m_keyPath = inner.sliced(rootLength).toString();
        m_section = remove ? Section::Deleted : Section::Key;
        m_steps.push_back(
            {remove ? ImportAction::DeleteKey : ImportAction::CreateKey, m_keyPath, {}, {}});
    }

    void parseValue(QStringView line)
    {
        qsizetype pos = 0;
        QString name;
        if (line[0] == u'@')
            pos = 1;
        else if (line[0] == u'"')
            name = readQuoted(line, pos, QStringLiteral("name"));
        else
            fail(QStringLiteral("the line is neither a section nor a value."));
        if (m_section == Section::None)
            fail(QStringLiteral("the value is not inside a section."));
        if (m_section == Section::Deleted)
            fail(QStringLiteral("the value follows the removal of its key."));

        skipBlanks(line, pos);
        if (pos >= line.size() || line[pos] != u'=')
            fail(QStringLiteral("\"=\" was expected after the value's name."));
        ++pos;
        skipBlanks(line, pos);

        const QStringView rest = line.sliced(pos);
        ImportStep step{ImportAction::SetValue, m_keyPath, name, {}};
        if (rest.startsWith(u'"')) {
            step.data = readQuoted(line, pos, QStringLiteral("value"));
        } else if (rest.startsWith(u'-')) {
            step.action = ImportAction::DeleteValue;
            ++pos;
        } else if (rest.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
            pos += 6;
            quint32 number = 0;
            int digits = 0;
            for (; pos < line.size() && hexDigitValue(line[pos]) >= 0; ++pos, ++digits)
                number = number << 4 | quint32(hexDigitValue(line[pos]));
            if (digits != 8)
                fail(QStringLiteral("a dword value needs exactly 8 hexadecimal digits."));
            step.data = QString::number(qint32(number));
        } else if (rest.startsWith(QLatin1String("hex"), Qt::CaseInsensitive)) {
            fail(QStringLiteral("binary (hex) values are not supported."));
        } else {
            fail(QStringLiteral("the value is neither quoted text, dword nor \"-\"."));
        }
        skipBlanks(line, pos);
        if (pos < line.size())
            fail(QStringLiteral("unexpected text after the value."));
        m_steps.push_back(std::move(step));
    }

    static void skipBlanks(QStringView line, qsizetype& pos)
    {
        while (pos < line.size() && isBlank(line[pos]))
            ++pos;
    }

    // Reads the quoted text starting at `pos`; leaves `pos` after its closing quote.
    QString readQuoted(QStringView line, qsizetype& pos, const QString& what) const
    {
        QString out;
        ++pos;
        while (pos < line.size()) {
            const QChar c = line[pos++];
            if (c == u'"')
                return out;
            if (c != u'\\') {
                out += c;
                continue;
            }
            if (pos >= line.size())
                break;
            const QChar escape = line[pos++];
            switch (escape.unicode()) {
            case u'\\':
                out += u'\\';
                break;
            case u'"':
                out += u'"';
                break;
            case u'r':
                out += u'\r';
                break;
            case u'n':
                out += u'\n';
                break;
            case u'0':
                out += QChar(0);
                break;
            case u'x': {
                const int high = pos < line.size() ? hexDigitValue(line[pos]) : -1;
                const int low = pos + 1 < line.size() ? hexDigitValue(line[pos + 1]) : -1;
                if (high < 0 || low < 0)
                    fail(QStringLiteral("the escape \\x in the %1 needs two hexadecimal digits.")
                             .arg(what));
                out += QChar(char16_t(high << 4 | low));
                pos += 2;
                break;
            }
            default:
                fail(QStringLiteral("unknown escape \\%1 in the %2.").arg(QString(escape), what));
            }
        }
        fail(QStringLiteral("the %1 has no closing quote.").arg(what));
    }

    QString m_root;
    qsizetype m_line = 0;
    Section m_section = Section::None;
    QString m_keyPath;
    std::vector<ImportStep> m_steps;
};

} // namespace

HiveError::HiveError(const QString& message)
    : std::runtime_error(message.toStdString()), m_message(message)
{}

struct RegistryHive::Statements
{
    Statements(sqlite3* db, const QString& path) : db(db), path(path) {}

    // Each statement is prepared when it is first run: a command runs two or
    // three of them, and preparing them all took a third of opening a hive.
    struct Statement
    {
        const char* sql;
        StatementPtr prepared;
    };

    Query query(Statement& stmt)
    {
        if (!stmt.prepared) {
            sqlite3_stmt* raw = nullptr;
            const int rc =
                sqlite3_prepare_v3(db, stmt.sql, -1, SQLITE_PREPARE_PERSISTENT, &raw, nullptr);
            stmt.prepared.reset(raw);
            if (rc != SQLITE_OK)
                failSqlite(path, db);
        }
        return Query(stmt.prepared.get(), path);
    }

    std::optional<qint64> keyId(const QByteArray& fpath)
    {
        Query q = query(findKey);
        q.bindBlob(1, fpath);
        if (!q.next())
            return std::nullopt;
        return q.intAt(0);
    }

    qint64 ensureKey(const KeyPath& key)
    {
        if (const auto id = keyId(key.folded))
            return *id;
        std::optional<qint64> parent = keyId({});
        if (!parent)
            failFile(path, QStringLiteral("is damaged (its root key is missing)."));
        for (qsizetype depth = 0; depth < key.parts.size(); ++depth) {
            const QByteArray prefix = key.prefix(depth);
            if (const auto id = keyId(prefix)) {
                parent = id;
                continue;
            }
            Query q = query(insertKey);
            q.bindInt(1, *parent).bindBlob(2, prefix).bindText(3, key.parts[depth]).run();
            parent = sqlite3_last_insert_rowid(db);
        }
        return *parent;
    }

    void removeTree(const KeyPath& key)
    {
        const QByteArray first = key.folded + '\\';
        const QByteArray last = key.folded + ']';
        Query values = query(deleteTreeValues);
        values.bindBlob(1, key.folded).bindBlob(2, first).bindBlob(3, last).run();
        // The root keeps its row; binding NULL makes "fpath = ?1" match nothing.
        Query keys = query(deleteTreeKeys);
        if (key.isRoot())
            keys.bindNull(1);
        else
            keys.bindBlob(1, key.folded);
        keys.bindBlob(2, first).bindBlob(3, last).run();
    }

    void put(const KeyPath& key, const QString& name, const QString& data)
    {
        const qint64 id = ensureKey(key);
        Query q = query(writeValue);
        q.bindInt(1, id).bindBlob(2, foldedName(name)).bindText(3, name);
        if (data.isEmpty())
            q.bindNull(4);
        else
            q.bindText(4, data);
        q.run();
    }

    void remove(const KeyPath& key, const QString& name)
    {
        if (const auto id = keyId(key.folded))
            query(deleteValue).bindInt(1, *id).bindBlob(2, foldedName(name)).run();
    }

    template <typename Body>
    void inTransaction(Statement& opening, Body&& body)
    {
        query(opening).run();
        try {
            body();
            query(commit).run();
        } catch (...) {
            if (!sqlite3_get_autocommit(db))
                sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
    }

    template <typename Body>
    void write(Body&& body)
    {
        if (isReadOnly(db))
            failFile(path, QStringLiteral("is read-only."));
        inTransaction(begin, std::forward<Body>(body));
    }

    sqlite3* db;
    const QString& path;
    Statement begin{"BEGIN IMMEDIATE"};
    Statement beginRead{"BEGIN"};
    Statement commit{"COMMIT"};
    Statement findKey{"SELECT id, name FROM hive_keys WHERE fpath = ?1"};
    Statement insertKey{"INSERT INTO hive_keys(parent, fpath, name) VALUES(?1, ?2, ?3)"};
    Statement childKeys{"SELECT id, name FROM hive_keys WHERE parent = ?1 ORDER BY fpath"};
    Statement keyValues{"SELECT name, data FROM hive_values WHERE key = ?1 ORDER BY id"};
    Statement readValue{"SELECT v.data FROM hive_keys k JOIN hive_values v ON v.key = k.id"
                        " WHERE k.fpath = ?1 AND v.fname = ?2"};
    Statement writeValue{"INSERT INTO hive_values(key, fname, name, data)"
                         " VALUES(?1, ?2, ?3, ?4)"
                         " ON CONFLICT(key, fname) DO UPDATE SET data = excluded.data"};
    Statement deleteValue{"DELETE FROM hive_values WHERE key = ?1 AND fname = ?2"};
    Statement deleteTreeValues{"DELETE FROM hive_values WHERE key IN (SELECT id FROM hive_keys"
                               " WHERE fpath = ?1 OR (fpath >= ?2 AND fpath < ?3))"};
    Statement deleteTreeKeys{
        "DELETE FROM hive_keys WHERE fpath = ?1 OR (fpath >= ?2 AND fpath < ?3)"};
};

std::unique_ptr<RegistryHive> RegistryHive::open(const QString& path)
{
    if (path.isEmpty())
        throw HiveError(QStringLiteral("No settings file was named."));
    ConnectionPtr db = openConnection(path);
    configure(db.get(), path);
    return std::unique_ptr<RegistryHive>(new RegistryHive(path, db.release()));
}

QString RegistryHive::defaultPath()
{
    const QString fromEnvironment = qEnvironmentVariable("VANTIX_REGISTRY");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/vantix/registry.sqlite3");
}

RegistryHive::RegistryHive(QString path, sqlite3* db) : m_path(std::move(path)), m_db(db)
{
    try {
        m_statements = std::make_unique<Statements>(m_db, m_path);
    } catch (...) {
        sqlite3_close_v2(m_db);
        throw;
    }
}

RegistryHive::~RegistryHive()
{
    m_statements.reset();
    sqlite3_close_v2(m_db);
}

bool RegistryHive::keyExists(const QString& keyPath) const
{
    return m_statements->keyId(KeyPath(keyPath).folded).has_value();
}

void RegistryHive::createKey(const QString& keyPath)
{
    const KeyPath key(keyPath);
    m_statements->write([&] { m_statements->ensureKey(key); });
}

void RegistryHive::deleteKey(const QString& keyPath)
{
    const KeyPath key(keyPath);
    m_statements->write([&] { m_statements->removeTree(key); });
}

QStringList RegistryHive::subKeys(const QString& keyPath) const
{
    QStringList names;
    if (const auto id = m_statements->keyId(KeyPath(keyPath).folded)) {
        Query q = m_statements->query(m_statements->childKeys);
        q.bindInt(1, *id);
        while (q.next())
            names.append(q.textAt(1));
    }
    return names;
}

QStringList RegistryHive::valueNames(const QString& keyPath) const
{
    QStringList names;
    if (const auto id = m_statements->keyId(KeyPath(keyPath).folded)) {
        Query q = m_statements->query(m_statements->keyValues);
        q.bindInt(1, *id);
        while (q.next())
            names.append(q.textAt(0));
    }
    return names;
}

std::optional<QString> RegistryHive::value(const QString& keyPath, const QString& name) const
{
    Query q = m_statements->query(m_statements->readValue);
    q.bindBlob(1, KeyPath(keyPath).folded).bindBlob(2, foldedName(name));
    if (!q.next() || q.isNullAt(0))
        return std::nullopt;
    return q.textAt(0);
}

void RegistryHive::setValue(const QString& keyPath, const QString& name, const QString& data)
{
    const KeyPath key(keyPath);
    m_statements->write([&] { m_statements->put(key, name, data); });
}

void RegistryHive::deleteValue(const QString& keyPath, const QString& name)
{
    const KeyPath key(keyPath);
    m_statements->write([&] { m_statements->remove(key, name); });
}

QString RegistryHive::quotedText(QStringView text)
{
    QString out;
    appendQuoted(out, text);
    return out;
}

QString RegistryHive::exportText(const QString& keyPath, const QString& sectionRoot) const
{
    QString out = QStringLiteral("REGEDIT4\n\n");
    const KeyPath key(keyPath);
    Statements& s = *m_statements;
    // One read transaction, so that the text is a consistent snapshot.
    s.inTransaction(s.beginRead, [&] {
        const auto start = s.keyId(key.folded);
        if (!start)
            return;
        // The path as stored: each level in the case it was created with.
        QStringList stored;
        for (qsizetype depth = 0; depth < key.parts.size(); ++depth) {
            Query q = s.query(s.findKey);
            q.bindBlob(1, key.prefix(depth));
            if (q.next())
                stored.append(q.textAt(1));
        }

        // Depth-first without recursion: key paths can be deeper than the stack allows.
        std::vector<std::pair<qint64, QString>> pending{{*start, stored.join(u'\\')}};
        while (!pending.empty()) {
            const auto [id, path] = std::move(pending.back());
            pending.pop_back();

            QString lines;
            Query values = s.query(s.keyValues);
            values.bindInt(1, id);
            while (values.next()) {
                const QString name = values.textAt(0);
                if (name.isEmpty())
                    lines += u'@';
                else
                    appendQuoted(lines, name);
                lines += u'=';
                appendQuoted(lines, values.isNullAt(1) ? QString() : values.textAt(1));
                lines += u'\n';
            }
            if (!path.isEmpty() || !lines.isEmpty()) {
                out += u'[' + sectionRoot;
                if (!path.isEmpty())
                    out += u'\\' + path;
                out += QLatin1String("]\n") + lines + u'\n';
            }

            Query children = s.query(s.childKeys);
            children.bindInt(1, id);
            std::vector<std::pair<qint64, QString>> below;
            while (children.next()) {
                const QString name = children.textAt(1);
                below.emplace_back(children.intAt(0), path.isEmpty() ? name : path + u'\\' + name);
            }
            pending.insert(pending.end(), std::make_move_iterator(below.rbegin()),
                           std::make_move_iterator(below.rend()));
        }
    });
    return out;
}

void RegistryHive::importText(const QString& text, const QString& sectionRoot)
{
    const std::vector<ImportStep> steps = ImportParser(sectionRoot).parse(text);
    Statements& s = *m_statements;
    s.write([&] {
        for (const ImportStep& step : steps) {
            const KeyPath key(step.keyPath);
            switch (step.action) {
            case ImportAction::CreateKey:
                s.ensureKey(key);
                break;
            case ImportAction::DeleteKey:
                s.removeTree(key);
                break;
            case ImportAction::SetValue:
                s.put(key, step.name, step.data);
                break;
            case ImportAction::DeleteValue:
                s.remove(key, step.name);
                break;
            }
        }
    });
}

} // namespace Platform
