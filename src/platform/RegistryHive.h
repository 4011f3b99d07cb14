// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <stdexcept>

struct sqlite3;

namespace Platform {

// A hive that cannot be used: not a database, a database of another program,
// unreadable, read-only for a write, or an import with a bad line. The message
// names the file (or the line) and says what is wrong.
class HiveError : public std::runtime_error
{
public:
    explicit HiveError(const QString& message);
    const QString& message() const { return m_message; }

private:
    QString m_message;
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
// change made by another process is seen at the next call.
class RegistryHive
{
public:
    // Opens the hive file, creating it (and its folder) when it does not
    // exist. Throws HiveError when the file is not a hive of ours; such a
    // file is never written to.
    static std::unique_ptr<RegistryHive> open(const QString& path);
    // $VANTIX_REGISTRY when set, else vantix/registry.sqlite3 under the
    // user's configuration folder.
    static QString defaultPath();

    ~RegistryHive();
    RegistryHive(const RegistryHive&) = delete;
    RegistryHive& operator=(const RegistryHive&) = delete;

    const QString& path() const { return m_path; }

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
    // A name or a value as REGEDIT4 text writes it: in double quotes, with
    // the escapes that import reads back.
    static QString quotedText(QStringView text);

private:
    struct Statements;
    RegistryHive(QString path, sqlite3* db);

    QString m_path;
    sqlite3* m_db = nullptr;
    std::unique_ptr<Statements> m_statements;
};

} // namespace Platform
