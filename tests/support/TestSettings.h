// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QTemporaryDir>

#include <initializer_list>
#include <utility>

namespace Testing {

// A fresh settings hive in a temporary folder, installed as the settings of
// the process for the life of the object; the kept tweaks are forgotten at
// both ends, so no test sees another's values.
class TestSettings
{
public:
    TestSettings();
    ~TestSettings();
    TestSettings(const TestSettings&) = delete;
    TestSettings& operator=(const TestSettings&) = delete;

    QString folder() const { return m_dir.path(); }
    QString hivePath() const { return m_dir.filePath(QStringLiteral("registry.sqlite3")); }
    // Writes a value below Software\Zux\Vantix straight into the hive.
    void set(const QString& section, const QString& name, const QString& value);
    // Makes "Test" the current settings mode with these values of its own
    // (folder settings such as "FilingFolder"), and has the mode's folders
    // read again.
    void useTestMode(std::initializer_list<std::pair<const char*, QString>> values);

private:
    QTemporaryDir m_dir;
};

// Spoils one page inside a closed hive, the index by which every key is found: the file still
// opens as a hive, and the first read of a setting meets the damage.
void damageHive(const QString& path);

} // namespace Testing
