// SPDX-License-Identifier: GPL-3.0-or-later
#include "shared/Settings.h"

#include "ScriptedUiHost.h"
#include "TestSettings.h"
#include "platform/RegistryHive.h"

#include <QFile>

#include <gtest/gtest.h>

using Global::GetRegistryData;
using Global::RegistryRead;
using Global::RegistryWrite;
using Global::SaveRegistryData;

namespace {

QString zeroJoined(std::initializer_list<const char16_t*> names)
{
    QString text;
    for (const char16_t* name : names)
        text += QString::fromUtf16(name) + QChar(0);
    return text;
}

} // namespace

TEST(Settings, TextValuesAndTheirDefaults)
{
    Testing::TestSettings settings;
    SaveRegistryData(QStringLiteral("Tagmill"), QStringLiteral("LastFolder"),
                     QStringLiteral("/data/job"));
    EXPECT_EQ(GetRegistryData(QStringLiteral("Tagmill"), QStringLiteral("LastFolder")),
              QVariant(QStringLiteral("/data/job")));
    // A leading "\" of the section names the same branch.
    EXPECT_EQ(GetRegistryData(QStringLiteral("\\Tagmill"), QStringLiteral("LastFolder")),
              QVariant(QStringLiteral("/data/job")));

    // An empty text is stored as a value without data, which reads as missing.
    SaveRegistryData(QStringLiteral("Tagmill"), QStringLiteral("LastDocument"), QString());
    EXPECT_EQ(GetRegistryData(QStringLiteral("Tagmill"), QStringLiteral("LastDocument"),
                              {.defaultValue = QStringLiteral("none")}),
              QVariant(QStringLiteral("none")));
    EXPECT_FALSE(GetRegistryData(QStringLiteral("Nowhere"), QStringLiteral("Nothing")).isValid());

    // A colour of nine characters is out of its 1 to 8 range.
    settings.set(QStringLiteral("Tweaks"), QStringLiteral("Colour"), QStringLiteral("800000180"));
    EXPECT_EQ(GetRegistryData(QStringLiteral("Tweaks"), QStringLiteral("Colour"),
                              {.defaultValue = QStringLiteral("80000018"), .max = 8, .min = 1}),
              QVariant(QStringLiteral("80000018")));
    // Any type but text and number gives nothing, even for a value that exists.
    EXPECT_FALSE(
        GetRegistryData(QStringLiteral("Tagmill"), QStringLiteral("LastFolder"), {.valueType = 2})
            .isValid());
}

TEST(Settings, NumbersAreCheckedAgainstTheirRange)
{
    Testing::TestSettings settings;
    const RegistryRead toolTips{.defaultValue = -1, .valueType = 1, .max = 0, .min = -1};
    const auto read = [&] {
        return GetRegistryData(QStringLiteral("Preferences"), QStringLiteral("ToolTips"), toolTips);
    };
    EXPECT_EQ(read(), QVariant(-1));
    for (const auto& [stored, expected] :
         {std::pair{"0", 0.0}, {"5", -1.0}, {"-1", -1.0}, {" -1xyz", -1.0}}) {
        settings.set(QStringLiteral("Preferences"), QStringLiteral("ToolTips"),
                     QString::fromLatin1(stored));
        EXPECT_EQ(read().toDouble(), expected) << stored;
    }
}

TEST(Settings, ListingsOfBranchesAndValues)
{
    Testing::TestSettings settings;
    settings.set(QStringLiteral("Forms\\B"), QStringLiteral("Name"), QStringLiteral("b"));
    settings.set(QStringLiteral("Forms\\A"), QStringLiteral("Name"), QStringLiteral("a"));
    EXPECT_EQ(GetRegistryData(QStringLiteral("Forms"), QStringLiteral("BRANCHES")),
              QVariant(QStringLiteral("002") + zeroJoined({u"A", u"B"})));
    // A branch holding only sub-branches has no values; a missing one neither.
    EXPECT_EQ(GetRegistryData(QStringLiteral("Forms"), QStringLiteral("ALLSUBKEYS")),
              QVariant(QStringLiteral("000")));
    EXPECT_EQ(GetRegistryData(QStringLiteral("Missing"), QStringLiteral("BRANCHES")),
              QVariant(QStringLiteral("000")));

    SaveRegistryData(QStringLiteral("Forms\\A"), QStringLiteral("<!-- a\\b \"c\" -->"),
                     QStringLiteral("F"));
    SaveRegistryData(QStringLiteral("Forms\\A"), QStringLiteral("Empty"), QString());
    const QString listing =
        GetRegistryData(QStringLiteral("Forms\\A"), QStringLiteral("ALLSUBKEYS")).toString();
    EXPECT_EQ(listing,
              QStringLiteral("003") + zeroJoined({u"Name", u"<!-- a\\b \"c\" -->", u"Empty"}));
    EXPECT_EQ(Global::listingNames(listing).size(), 3);
}

// Listings of a thousand names and more have a count of four digits or more, and names such as
// favourites' and recents' begin with digits themselves.
TEST(Settings, ListingsOfManyNamesThatBeginWithDigits)
{
    struct Case
    {
        int names;
        const char* key; // what the listing lists
    };
    for (const Case c : {Case{999, "ALLSUBKEYS"}, Case{1000, "ALLSUBKEYS"},
                         Case{10000, "ALLSUBKEYS"}, Case{1000, "BRANCHES"}}) {
        SCOPED_TRACE(testing::Message() << c.names << " " << c.key);
        Testing::TestSettings settings;
        const bool branches = qstrcmp(c.key, "BRANCHES") == 0;
        QStringList names;
        QString reg =
            QStringLiteral("REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Zux\\Vantix\\Recent]\n");
        for (int i = 0; i < c.names; ++i) {
            // Sub-branches list in alphabetical order, so theirs are of one width.
            names << (branches ? QStringLiteral("%1").arg(10000 + i)
                               : QStringLiteral("%1.5").arg(46000 - i));
            reg += branches
                       ? QStringLiteral("[HKEY_CURRENT_USER\\Software\\Zux\\Vantix\\Recent\\%1]\n")
                             .arg(names.last())
                       : QStringLiteral("\"%1\"=\"x\"\n").arg(names.last());
        }
        Global::settingsHive().importText(reg);

        const QString listing =
            GetRegistryData(QStringLiteral("Recent"), QString::fromLatin1(c.key)).toString();
        const QString count = QString::number(c.names).rightJustified(3, u'0');
        EXPECT_TRUE(listing.startsWith(count + names.first())) << listing.left(20).toStdString();
        EXPECT_EQ(Global::listingCountWidth(listing), count.size());
        EXPECT_EQ(Global::listingNames(listing), names);
    }
    // An empty listing, and the nothing that a refused read gives.
    EXPECT_EQ(Global::listingNames(QStringLiteral("000")), QStringList());
    EXPECT_EQ(Global::listingNames(QString()), QStringList());
}

TEST(Settings, ReservedWordsDeleteValuesAndBranches)
{
    Testing::TestSettings settings;
    const QString section = QStringLiteral("Tagmill\\MYPAGEHTM");
    SaveRegistryData(section, QStringLiteral("<!-- a -->"), QStringLiteral("Name"));
    SaveRegistryData(section, QStringLiteral("<!-- b -->"), QStringLiteral("Email"));
    // "KILL" deletes instead of storing the word.
    SaveRegistryData(section, QStringLiteral("<!-- a -->"), QStringLiteral("KILL"));
    EXPECT_FALSE(GetRegistryData(section, QStringLiteral("<!-- a -->")).isValid());
    EXPECT_EQ(GetRegistryData(section, QStringLiteral("ALLSUBKEYS")).toString().left(3),
              QStringLiteral("001"));

    SaveRegistryData(section, QStringLiteral("EMPTY"), RegistryWrite{});
    EXPECT_EQ(GetRegistryData(section, QStringLiteral("ALLSUBKEYS")),
              QVariant(QStringLiteral("000")));
    EXPECT_EQ(GetRegistryData(QStringLiteral("Tagmill"), QStringLiteral("BRANCHES")),
              QVariant(QStringLiteral("001") + zeroJoined({u"MYPAGEHTM"})));
    SaveRegistryData(section, QStringLiteral("KILLALL"), RegistryWrite{});
    EXPECT_EQ(GetRegistryData(QStringLiteral("Tagmill"), QStringLiteral("BRANCHES")),
              QVariant(QStringLiteral("000")));
}

TEST(Settings, NumberValuesAreStoredAsTheirText)
{
    Testing::TestSettings settings;
    const QString section = QStringLiteral("Config");
    const auto stored = [&](const char* name) {
        return Global::settingsHive().value(Global::SettingsRoot + QStringLiteral("\\Config"),
                                            QString::fromLatin1(name));
    };
    SaveRegistryData(section, QStringLiteral("On"), {.numberValue = true});
    SaveRegistryData(section, QStringLiteral("Off"), {.numberValue = false});
    SaveRegistryData(section, QStringLiteral("Minus"), {.numberValue = -1});
    SaveRegistryData(section, QStringLiteral("Width"), {.numberValue = 6200.5});
    // The text takes precedence over the number.
    SaveRegistryData(section, QStringLiteral("Both"),
                     {.textValue = QStringLiteral("t"), .numberValue = 3});
    EXPECT_EQ(stored("On"), QStringLiteral("-1"));
    EXPECT_EQ(stored("Off"), QStringLiteral("0"));
    EXPECT_EQ(stored("Minus"), QStringLiteral("-1"));
    EXPECT_EQ(stored("Width"), QStringLiteral("6200.5"));
    EXPECT_EQ(stored("Both"), QStringLiteral("t"));
}

TEST(Settings, ReportShowsMessage100ForAMissingValue)
{
    Testing::TestSettings settings;
    Testing::ScriptedUiHost host;
    host.expectBox(
        Platform::MsgAnswer::Ok,
        QStringLiteral("The value in the Registry for \"...Config\\FindWidth\" was either"));
    EXPECT_EQ(GetRegistryData(QStringLiteral("Config"), QStringLiteral("FindWidth"),
                              {.defaultValue = 6200, .valueType = 1, .report = true}),
              QVariant(6200));
    EXPECT_EQ(host.boxes.value(0).icon, Platform::MsgIcon::Information);

    // Left out, Report follows the tweak ReportRegistryError.
    settings.set(QStringLiteral("Tweaks"), QStringLiteral("ReportRegistryError"),
                 QStringLiteral("-1"));
    host.expectBox(Platform::MsgAnswer::Ok, QStringLiteral("...Config\\FindHeight"));
    GetRegistryData(QStringLiteral("Config"), QStringLiteral("FindHeight"));
    EXPECT_EQ(host.boxes.size(), 2);
}

// A damaged hive is told once, however many settings the program goes on to read and write,
// and is never written.
TEST(Settings, ADamagedHiveIsToldOnceAndLeftAlone)
{
    Testing::TestSettings settings;
    settings.set(QStringLiteral("Config\\Modes"), QStringLiteral("LastMode"),
                 QStringLiteral("Office"));
    Global::setSettingsHive(nullptr);
    Testing::damageHive(settings.hivePath());
    QFile file(settings.hivePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    Global::setSettingsHive(Platform::RegistryHive::open(settings.hivePath()));

    Testing::ScriptedUiHost host;
    host.expectBox(Platform::MsgAnswer::Ok, QStringLiteral("The settings file\r\n\"") +
                                                settings.hivePath() +
                                                QStringLiteral("\"\r\nis damaged ("));
    EXPECT_FALSE(
        GetRegistryData(QStringLiteral("Config\\Modes"), QStringLiteral("LastMode")).isValid());
    GetRegistryData(QStringLiteral("Config\\Modes"), QStringLiteral("BRANCHES"));
    GetRegistryData(QStringLiteral("Config"), QStringLiteral("FindWidth"), {.report = true});
    SaveRegistryData(QStringLiteral("Config\\Modes"), QStringLiteral("LastMode"),
                     QStringLiteral("Home"));
    SaveRegistryData(QStringLiteral("Config"), QStringLiteral("EMPTY"), RegistryWrite{});
    SaveRegistryData(QStringLiteral("Tagmill"), QStringLiteral("LastFolder"), QStringLiteral("/x"));
    ASSERT_EQ(host.boxes.size(), 1);
    EXPECT_EQ(host.boxes[0].icon, Platform::MsgIcon::Critical);

    Global::setSettingsHive(nullptr);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
}
