// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <stdexcept>

struct sqlite3;

namespace Platform {

// A hive that cannot be used: missing, not a database, a database of another
// program, unreadable, read-only for a write, damaged, or an import with a bad
// line. The message names the file (or the line) and says what is wrong.
class HiveError : public std::runtime_error
{
public:
    explicit HiveError(const QString& message);
    // The file is damaged (`detail` is what SQLite says about it). `repeated`
    // when the same hive was found damaged before, so that its user has been
    // told already.
    static HiveError damage(const QString& path, const QString& detail, bool repeated);

    const QString& message() const { return m_message; }
    bool isDamage() const { return !m_damagedFile.isEmpty(); }
    bool repeated() const { return m_repeated; }
    const QString& damagedFile() const { return m_damagedFile; }
    const QString& detail() const { return m_detail; }

private:
    QString m_message;
    QString m_damagedFile;
    QString m_detail;
    bool m_repeated = false;
};

// The settings hive: a tree of keys holding named text values, kept in one
// SQLite file that several processes may share.
//
// Key paths are written with "\" whatever the platform; a path is split at
// "\" and empty parts are dropped, so "\A\B", "A\B\" and "A\\B" name the same
// key, and the empty path is the hive's root. Key and value names compare
// without regard to case (each character folded with QChar::toUpper) and keep
// the case they were created with. A value written as empty text is a value
// without data: it is listed, and reads back as missing. Sub-keys list in
// case-insensitive alphabetical order, values in the order they were created.
//
// Every write is one transaction. Nothing is cached between calls, so a
// change made by another process is seen at the next call. The first call
// that meets damage in the file throws HiveError::damage; from then on every
// call throws it again (as repeated) without touching the file, which is
// never written again by this object.
class RegistryHive
{
public:
    enum class Missing
    {
        Create, // a file that does not exist is made, with its folders
        Refuse  // a file that does not exist is an error: nothing is made
    };
    // Opens the hive file. Throws HiveError when the file is not a hive of
    // ours (such a file is never written to), or is missing and `missing`
    // refuses that. A file that this process may not write is opened for
    // reading without making the companion files that SQLite keeps beside a
    // shared file, so that none is left behind that a later writer could not
    // use.
    static std::unique_ptr<RegistryHive> open(const QString& path,
                                              Missing missing = Missing::Create);
    // A hive that holds nothing, kept in memory, standing in for `path`,
    // which does not exist: every read finds nothing, and a write is refused
    // as the file's being missing is.
    static std::unique_ptr<RegistryHive> standIn(const QString& path);
    // $VANTIX_REGISTRY when set, else vantix/registry.sqlite3 under the
    // user's configuration folder.
    static QString defaultPath();

    ~RegistryHive();
    RegistryHive(const RegistryHive&) = delete;
    RegistryHive& operator=(const RegistryHive&) = delete;

    const QString& path() const { return m_path; }
    // Whether open() made the file.
    bool created() const { return m_created; }

    bool keyExists(const QString& keyPath) const;
    // Creates the key and every missing key above it.
    void createKey(const QString& keyPath);
    // Deletes the key with all its sub-keys and values; a missing key is no
    // error. The root itself cannot be deleted: its contents are.
    void deleteKey(const QString& keyPath);
    QStringList subKeys(const QString& keyPath) const;
    QStringList valueNames(const QString& keyPath) const;

    // The value's text; nullopt when the key or value is missing or the value
    // has no data.
    std::optional<QString> value(const QString& keyPath, const QString& name) const;
    // Writes the value, creating the key path as needed. Empty text stores a
    // value without data.
    void setValue(const QString& keyPath, const QString& name, const QString& data);
    // Deletes one value; a missing one is no error.
    void deleteValue(const QString& keyPath, const QString& name);
    // Writes the value under `name` as it is spelt now, in one transaction: a
    // value of that name in another case goes, and the value is written anew,
    // last in the key's order.
    void replaceValue(const QString& keyPath, const QString& name, const QString& data);
    // Replaces several values so, in order, in one transaction.
    void replaceValues(const QString& keyPath, const QList<std::pair<QString, QString>>& values);

    // The key and everything below it in the registry's own text format
    // (REGEDIT4, UTF-8). Sections are named by `sectionRoot` followed by the
    // key's path, for example "HKEY_CURRENT_USER" + "\Software\Zux\Vantix".
    QString exportText(const QString& keyPath,
                       const QString& sectionRoot = QStringLiteral("HKEY_CURRENT_USER")) const;
    // Reads REGEDIT4 text and applies it in one transaction: sections must
    // begin with `sectionRoot`. Throws HiveError naming the first bad line;
    // then nothing is written.
    void importText(const QString& text,
                    const QString& sectionRoot = QStringLiteral("HKEY_CURRENT_USER"));
    // The findings of SQLite's full check of every page and index (slow: a
    // hive of 10,000 values takes milliseconds); empty when there are none.
    QStringList integrityProblems() const;

    // A name or a value as REGEDIT4 text writes it: in double quotes, with
    // the escapes that import reads back.
    static QString quotedText(QStringView text);

private:
    struct Statements;
    RegistryHive(QString path, sqlite3* db);

    QString m_path;
    sqlite3* m_db = nullptr;
    bool m_created = false;
    std::unique_ptr<Statements> m_statements;
};

} // namespace Platform
