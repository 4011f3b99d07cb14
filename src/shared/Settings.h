// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVariant>

#include <memory>
#include <optional>

namespace Platform {
class RegistryHive;
}

namespace Global {

// The root of every setting of the suite.
inline const QString SettingsRoot = QStringLiteral("Software\\Zux\\Vantix");

// The settings hive of this process: the one installed by
// setSettingsHive(), else the default hive, opened on first use (which
// throws HiveError when that file is not a hive).
Platform::RegistryHive& settingsHive();
// Installs the hive that every setting of this process goes to.
void setSettingsHive(std::unique_ptr<Platform::RegistryHive> hive);

// The arguments of GetRegistryData after Section and Key, in their order;
// each one left out takes the value given here.
struct RegistryRead
{
    QString rootPath = SettingsRoot;
    QVariant defaultValue;                  // what a missing or out-of-range value gives
    int valueType = 0;                      // 0 text, 1 number
    std::optional<double> max;              // text: greatest length; number: greatest value
    std::optional<double> min;              // text: least length; number: least value
    std::optional<bool> report;             // left out: the tweak ReportRegistryError
    Platform::RegistryHive* hive = nullptr; // left out: the settings hive
};

// Reads the value Key of the branch Section: its text (type 0) or number
// (type 1, a double); the default when it is missing, has no data or is out
// of range (message 100 first when Report is on). Key "BRANCHES" lists the
// branch's sub-branches and "ALLSUBKEYS" its values: a count of at least
// three digits, then each name followed by the character 0.
QVariant GetRegistryData(const QString& section, const QString& key, const RegistryRead& read = {});

// The arguments of SaveRegistryData after Section and Key.
struct RegistryWrite
{
    QString rootPath = SettingsRoot;
    QVariant textValue;   // takes precedence; the text "KILL" deletes the value
    QVariant numberValue; // -1 (or true) is stored as "-1"
};

// Writes the value Key of the branch Section, creating the branch. Key
// "KILLALL" deletes the branch, "EMPTY" deletes it and creates it again.
void SaveRegistryData(const QString& section, const QString& key, const RegistryWrite& write);
inline void SaveRegistryData(const QString& section, const QString& key, const QString& text)
{
    SaveRegistryData(section, key, RegistryWrite{.textValue = text});
}

// The listing text of names: the count with at least three digits, then
// each name followed by the character 0.
QString listingText(const QStringList& names);
// How many characters the count of a listing text takes: three, or the
// digits of the number of names (the characters 0 of the text) when those
// are more. Names may begin with digits themselves ("46000.5"), so the count
// cannot be told from the digits.
qsizetype listingCountWidth(const QString& listing);
// The names of a listing text, every caller's one way of reading it.
QStringList listingNames(const QString& listing);

} // namespace Global
