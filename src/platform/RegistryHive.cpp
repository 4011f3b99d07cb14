// SPDX-License-Identifier: GPL-3.0-or-later
#include "RegistryHive.h"

#include "HiveFile.h"
#include "RegistryText.h"
#include "Text.h"

#include <QStandardPaths>

#include <vector>

namespace Platform {

namespace {

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

using namespace Hive;

// The connection and what it has met: after damage, every later call is refused without
// touching the file.
class Connection
{
public:
    Connection(sqlite3* db, const QString& path) : db(db), path(path) {}

    [[noreturn]] void fail() { throw noted(sqliteError(path, db)); }
    [[noreturn]] void failDamaged(const QString& detail)
    {
        throw noted(HiveError::damage(path, detail, false));
    }
    void refuseIfDamaged() const
    {
        if (m_damage)
            throw HiveError::damage(path, *m_damage, true);
    }

    sqlite3* const db;
    const QString& path;

private:
    HiveError noted(HiveError error)
    {
        if (error.isDamage() && !m_damage) {
            m_damage = error.detail();
            // Closing would copy the -wal file's pages into the damaged file.
            sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, static_cast<int*>(nullptr));
        }
        return error;
    }

    std::optional<QString> m_damage;
};

// One use of a prepared statement. Resetting on the way out ends the statement's read
// transaction, so that the next call sees what other connections have written since.
class Query
{
public:
    Query(sqlite3_stmt* stmt, Connection& connection) : m_stmt(stmt), m_connection(connection) {}
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
        m_connection.fail();
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
            m_connection.fail();
        return *this;
    }

    sqlite3_stmt* m_stmt;
    Connection& m_connection;
};

} // namespace

HiveError::HiveError(const QString& message)
    : std::runtime_error(message.toStdString()), m_message(message)
{}

HiveError HiveError::damage(const QString& path, const QString& detail, bool repeated)
{
    HiveError error(fileMessage(path, QStringLiteral("is damaged (%1).").arg(detail)));
    error.m_damagedFile = path;
    error.m_detail = detail;
    error.m_repeated = repeated;
    return error;
}

struct RegistryHive::Statements : Connection
{
    Statements(sqlite3* db, const QString& path) : Connection(db, path) {}

    // Each statement is prepared when it is first run: a command runs two or
    // three of them, and preparing them all took a third of opening a hive.
    struct Statement
    {
        const char* sql;
        StatementPtr prepared;
    };

    Query query(Statement& stmt)
    {
        refuseIfDamaged();
        if (!stmt.prepared) {
            sqlite3_stmt* raw = nullptr;
            const int rc =
                sqlite3_prepare_v3(db, stmt.sql, -1, SQLITE_PREPARE_PERSISTENT, &raw, nullptr);
            stmt.prepared.reset(raw);
            if (rc != SQLITE_OK)
                fail();
        }
        return Query(stmt.prepared.get(), *this);
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
            failDamaged(QStringLiteral("its root key is missing"));
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
        refuseIfDamaged();
        if (!readOnlyBecause.isEmpty())
            failFile(path, readOnlyBecause);
        if (isReadOnly(db))
            failFile(path, QStringLiteral("is read-only."));
        inTransaction(begin, std::forward<Body>(body));
    }

    // Why every write is refused, when it is.
    QString readOnlyBecause;
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

std::unique_ptr<RegistryHive> RegistryHive::open(const QString& path, Missing missing)
{
    if (path.isEmpty())
        throw HiveError(QStringLiteral("No settings file was named."));
    OpenedHive opened = openConnection(path, missing);
    std::unique_ptr<RegistryHive> hive(new RegistryHive(path, opened.db.release()));
    hive->m_created = opened.created;
    hive->m_statements->readOnlyBecause = opened.readOnlyBecause;
    return hive;
}

std::unique_ptr<RegistryHive> RegistryHive::standIn(const QString& path)
{
    ConnectionPtr db = openInMemory(path);
    std::unique_ptr<RegistryHive> hive(new RegistryHive(path, db.release()));
    hive->m_statements->readOnlyBecause = QStringLiteral("does not exist.");
    return hive;
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

void RegistryHive::replaceValue(const QString& keyPath, const QString& name, const QString& data)
{
    replaceValues(keyPath, {{name, data}});
}

void RegistryHive::replaceValues(const QString& keyPath,
                                 const QList<std::pair<QString, QString>>& values)
{
    const KeyPath key(keyPath);
    m_statements->write([&] {
        for (const auto& [name, data] : values) {
            m_statements->remove(key, name);
            m_statements->put(key, name, data);
        }
    });
}

QStringList RegistryHive::integrityProblems() const
{
    Statements& s = *m_statements;
    s.refuseIfDamaged();
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(m_db, "PRAGMA integrity_check", -1, &raw, nullptr) != SQLITE_OK)
        s.fail();
    const StatementPtr check(raw);
    QStringList findings;
    try {
        Query q(check.get(), s);
        while (q.next())
            findings.append(q.textAt(0));
    } catch (const HiveError& error) {
        // Damage that stops the check is its last finding.
        if (!error.isDamage())
            throw;
        findings.append(error.detail());
    }
    if (findings == QStringList{QStringLiteral("ok")})
        findings.clear();
    return findings;
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
    const std::vector<ImportStep> steps = parseRegistryText(text, sectionRoot);
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
