// SPDX-License-Identifier: GPL-3.0-or-later
// vantix postcodes as a user runs it: real processes, on a demo workspace
// and on files built from CSV.
#include "VantixProcess.h"
#include "datafiles/PostcodeFile.h"
#include "datafiles/ProfileFile.h"

#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Testing::Outcome;

class Postcodes : public testing::Test
{
protected:
    QTemporaryDir dir;

    Outcome run(const QStringList& args, const QString& registry = QString())
    {
        return Testing::runVantix(QStringList{QStringLiteral("--registry"),
                                              registry.isEmpty()
                                                  ? dir.filePath(QStringLiteral("none.sqlite3"))
                                                  : registry} +
                                  args);
    }

    QString csv(const QByteArray& text)
    {
        QFile file(dir.filePath(QStringLiteral("addresses.csv")));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return file.fileName();
    }

    static QJsonObject json(const Outcome& r)
    {
        return QJsonDocument::fromJson(r.out.toUtf8()).object();
    }
};

const QByteArray Street = "postcode,premises,building,road,district,town,county,company\n"
                          "IV23 7AR,,Rose Cottage,High Street,,Garve,Ross-shire,\n"
                          "IV23 7AR,,,The Old Shop,,Garve,Ross-shire,\"Garve Stores, Ltd\"\n"
                          "AB1 2CD,,,1 Road,,Aberdeen,,\n";

} // namespace

TEST_F(Postcodes, EveryDemoContactsPostcodeFindsItsAddress)
{
    const QString workspace = dir.filePath(QStringLiteral("demo"));
    const QString registry = workspace + QStringLiteral("/registry.sqlite3");
    ASSERT_EQ(run({QStringLiteral("demo"), workspace, QStringLiteral("--contacts"),
                   QStringLiteral("15"), QStringLiteral("--emails"), QStringLiteral("0")})
                  .status,
              0);
    int looked = 0;
    QDirIterator it(workspace + QStringLiteral("/Filing"), {QStringLiteral("Profile.pro")},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext() && looked < 6) {
        const auto a = Routines_ProfileFile::ReadProfile(it.next()).addresses[0];
        // Typed as a user might: lower case, without the blank.
        const QString typed = a.postcode.toLower().remove(u' ');
        const Outcome r = run({QStringLiteral("postcodes"), QStringLiteral("lookup"), typed,
                               QStringLiteral("--json")},
                              registry);
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        const QJsonObject found = json(r);
        const QJsonArray addresses = found[u"addresses"].toArray();
        EXPECT_EQ(found[u"matches"].toInt(), addresses.size());
        const QString prefix =
            QStringList{a.building, a.road, a.district, a.town, a.county, a.postcode}.join(u'|');
        EXPECT_TRUE(
            std::any_of(addresses.begin(), addresses.end(),
                        [&](const QJsonValue& v) { return v.toString().startsWith(prefix); }))
            << typed.toStdString() << " " << r.out.toStdString();
        ++looked;
    }
    EXPECT_EQ(looked, 6);

    const Outcome none =
        run({QStringLiteral("postcodes"), QStringLiteral("lookup"), QStringLiteral("ZZ99 9ZZ")},
            registry);
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.out, QStringLiteral("No matches found.\n"));

    const Outcome dump = run({QStringLiteral("dump"), workspace + QStringLiteral("/RADs/UKPAF.BIN"),
                              QStringLiteral("--json")},
                             registry);
    EXPECT_EQ(dump.status, 0) << dump.err.toStdString();
    const QJsonObject dumped = json(dump);
    EXPECT_EQ(dumped[u"kind"].toString(), QStringLiteral("postcode"));
    EXPECT_EQ(dumped[u"header"][u"requiresAuthorisation"].toInt(), 0);
    EXPECT_GT(dumped[u"header"][u"addresses"].toInt(), 5);
    EXPECT_EQ(dumped[u"users"].toArray().size(), 32);
}

TEST_F(Postcodes, KeyShowsCellsAndKeyOfThePostcodeAsGiven)
{
    const std::pair<const char*, const char*> cases[] = {
        {"SW1A", R"({"cells":[9,10,1,1],"key":[12]})"},
        {"sw1a 1aa", R"({"cells":[6,6,1,6],"key":[12,32,49,97,97]})"},
        {"W1", R"({"cells":[10,1,6,6],"key":[48]})"},
    };
    for (const auto& [postcode, expected] : cases) {
        const Outcome r = run({QStringLiteral("postcodes"), QStringLiteral("key"),
                               QString::fromUtf8(postcode), QStringLiteral("--json")});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(QJsonDocument(json(r)).toJson(QJsonDocument::Compact), QByteArray(expected))
            << postcode;
    }
}

TEST_F(Postcodes, BuildThenLookUpAFileByItsPath)
{
    const QString out = dir.filePath(QStringLiteral("Town.BIN"));
    const Outcome built =
        run({QStringLiteral("postcodes"), QStringLiteral("build"), csv(Street), out});
    EXPECT_EQ(built.status, 0) << built.err.toStdString();
    EXPECT_TRUE(built.out.startsWith(u"3 addresses of 2 postcodes")) << built.out.toStdString();

    const Outcome r = run({QStringLiteral("postcodes"), QStringLiteral("lookup"),
                           QStringLiteral("iv23 7ar"), QStringLiteral("--file"), out});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out,
              QStringLiteral("Rose Cottage|High Street||Garve|Ross-shire|IV23 7AR|\n"
                             "|The Old Shop||Garve|Ross-shire|IV23 7AR|Garve Stores, Ltd\n"));
}

TEST_F(Postcodes, RefusedAndDamagedFilesFailWithTheirMessage)
{
    const QString out = dir.filePath(QStringLiteral("Town.BIN"));
    // IV23's chain comes last in the file.
    const auto lookUp = [&] {
        return run({QStringLiteral("postcodes"), QStringLiteral("lookup"),
                    QStringLiteral("IV23 7AR"), QStringLiteral("--file"), out});
    };
    const QString me = Routines_RADs::currentUserName();
    run({QStringLiteral("postcodes"), QStringLiteral("build"), csv(Street), out,
         QStringLiteral("--users"), QStringLiteral("someone,") + me});
    EXPECT_EQ(lookUp().status, 0);

    run({QStringLiteral("postcodes"), QStringLiteral("build"), csv(Street), out,
         QStringLiteral("--users"), QStringLiteral("someone,else")});
    Outcome r = lookUp();
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(u"You are not registered to use this postal address file"))
        << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());

    QFile file(out);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.write("Zux RAX");
    file.close();
    r = lookUp();
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(u"is not a valid Vantix Rapid Addressing Database file"))
        << r.err.toStdString();

    run({QStringLiteral("postcodes"), QStringLiteral("build"), csv(Street), out});
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.resize(file.size() - 500);
    file.close();
    r = lookUp();
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(u"is damaged")) << r.err.toStdString();

    r = run({QStringLiteral("postcodes"), QStringLiteral("lookup"), QStringLiteral("AB1 2CD"),
             QStringLiteral("--file"), dir.filePath(QStringLiteral("absent.bin"))});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(u"there is no postcode address file")) << r.err.toStdString();
}

// The file holds Windows-1252: other characters go in as Latin letters and are counted; one
// with no such form would be stored as "?", so its row is bad. A "?" of the CSV is its own.
TEST_F(Postcodes, CharactersThatWindows1252LacksAreWrittenInLatinLetters)
{
    const QString out = dir.filePath(QStringLiteral("Town.BIN"));
    const QByteArray good = "AB1 2CD,,,\xC5\x81\xC3\xB3\x64\xC5\xBA Road,,Krak\xC3\xB3w,,\n"
                            "AB1 2CD,,,What? Lane,,\xCE\xA9mega,,\n";
    const Outcome built =
        run({QStringLiteral("postcodes"), QStringLiteral("build"), csv(good), out});
    EXPECT_EQ(built.status, 0) << built.err.toStdString();
    EXPECT_EQ(built.err, QStringLiteral("vantix: 2 field(s) held characters that Windows-1252 "
                                        "lacks and were written in Latin letters\n"));
    const Outcome found = run({QStringLiteral("postcodes"), QStringLiteral("lookup"),
                               QStringLiteral("AB1 2CD"), QStringLiteral("--file"), out});
    EXPECT_EQ(found.out, QStringLiteral("|L\u00f3dz Road||Krak\u00f3w||AB1 2CD|\n"
                                        "|What? Lane||Omega||AB1 2CD|\n"));

    const Outcome bad = run({QStringLiteral("postcodes"), QStringLiteral("build"),
                             csv(good + "AB1 2CD,,,a\xF0\x9F\x98\x80"
                                        "b,,Town\n"),
                             dir.filePath(QStringLiteral("bad.bin"))});
    EXPECT_EQ(bad.status, 1);
    EXPECT_TRUE(bad.err.contains(u"line 3: address line 3 \"a\U0001F600b\" holds 1 character(s) "
                                 u"with no form in Latin letters"))
        << bad.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("bad.bin"))));
}

TEST_F(Postcodes, BadRowsAreListedAndNothingIsWritten)
{
    const QString out = dir.filePath(QStringLiteral("bad.bin"));
    const Outcome r = run({QStringLiteral("postcodes"), QStringLiteral("build"),
                           csv("AB1 2CD,,,Road\n!!,,,Road\nAB1 2CD,,,A|B\n"), out});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(u"line 2: the postcode \"!!\"")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(u"line 3: address line 3 holds \"|\"")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(u"nothing was written"));
    EXPECT_FALSE(QFile::exists(out));

    for (const QStringList& args :
         {QStringList{QStringLiteral("postcodes")},
          QStringList{QStringLiteral("postcodes"), QStringLiteral("frob")},
          QStringList{QStringLiteral("postcodes"), QStringLiteral("key")},
          QStringList{QStringLiteral("postcodes"), QStringLiteral("build"), QStringLiteral("a")},
          QStringList{QStringLiteral("postcodes"), QStringLiteral("lookup"), QStringLiteral("A"),
                      QStringLiteral("--file")}}) {
        const Outcome wrong = run(args);
        EXPECT_EQ(wrong.status, 2) << args.join(u' ').toStdString();
        EXPECT_TRUE(wrong.err.contains(u"Usage: vantix postcodes"));
    }
    EXPECT_EQ(run({QStringLiteral("postcodes"), QStringLiteral("--help")}).status, 0);
}
