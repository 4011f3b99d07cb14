// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSettings.h"

#include "platform/RegistryHive.h"
#include "platform/UiHost.h"
#include "shared/Paths.h"
#include "shared/Settings.h"
#include "shared/Tweaks.h"

#include <QFile>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace Testing {
namespace {

void forgetTweaks()
{
    // Forgetting the tweaks shows the busy pointer; keep that away from any
    // scripted host of the test.
    Platform::UiHost* previous = Platform::setUiHost(nullptr);
    Global::GetTweak(-1);
    Platform::setUiHost(previous);
}

} // namespace

TestSettings::TestSettings()
{
    EXPECT_TRUE(m_dir.isValid());
    Global::setSettingsHive(Platform::RegistryHive::open(hivePath()));
    forgetTweaks();
}

TestSettings::~TestSettings()
{
    Global::setSettingsHive(nullptr);
    forgetTweaks();
}

void TestSettings::set(const QString& section, const QString& name, const QString& value)
{
    Global::settingsHive().setValue(Global::SettingsRoot + QLatin1Char('\\') + section, name,
                                    value);
}

void TestSettings::useTestMode(std::initializer_list<std::pair<const char*, QString>> values)
{
    set(QStringLiteral("Config\\Modes"), QStringLiteral("LastMode"), QStringLiteral("Test"));
    for (const auto& [name, value] : values)
        set(QStringLiteral("Config\\Modes\\Test"), QLatin1String(name), value);
    Global::GetDataFolder(QString(), true);
}

void damageHive(const QString& path)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr),
        SQLITE_OK);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT (SELECT page_size FROM pragma_page_size), rootpage FROM "
                       "sqlite_schema WHERE name = 'sqlite_autoindex_hive_keys_1'",
                       -1, &stmt, nullptr);
    ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW) << sqlite3_errmsg(db);
    const qint64 pageSize = sqlite3_column_int64(stmt, 0);
    const qint64 page = sqlite3_column_int64(stmt, 1);
    sqlite3_finalize(stmt);
    sqlite3_close(db);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_GE(file.size(), page * pageSize);
    file.seek((page - 1) * pageSize);
    file.write(QByteArray(pageSize, char(0xA5)));
}

} // namespace Testing
