// SPDX-License-Identifier: GPL-3.0-or-later
#include "DataFileTesting.h"
#include "datafiles/CountryLists.h"
#include "datafiles/DataFile.h"
#include "shared/Settings.h"

#include <QFile>

using namespace DataFiles;
using namespace FileOperations;
using Platform::MsgAnswer;
using Platform::MsgIcon;
using Testing::hex;

namespace {

QByteArray text(const char* value)
{
    const QByteArray bytes(value);
    QByteArray out;
    out.append(char(bytes.size() & 0xff)).append(char(bytes.size() >> 8));
    return out + bytes;
}

// Two countries from reference 1: Ireland without area codes, the United
// Kingdom with two; carried bytes that are not zero, so that a writer that
// drops them is caught.
QByteArray handMadeDatabase()
{
    QByteArray b = QByteArray("Zux International") + hex("6f12833a"); // 0.001
    b += hex("0102030405060708090a");                                 // f1, carried
    b += hex("aabbccdd 0700");                                        // code column width 7
    b += hex("0100 02000000 01000000");                               // two countries from 1
    b += text("Ireland") + text("353") + text("0") + hex("0000");
    b += text("United Kingdom") + text("44") + text("0");
    b += hex("0100 02000000 00000000");
    b += text("0113") + text("Leeds") + text("01768") + text("Penrith");
    b += hex("0100") + QByteArray(198, '\0'); // f4: 100 Int16
    b += QByteArray(398, '\0') + hex("ffff"); // f5: 200 Int16
    return b;
}

// A list control as the windows' adapters fill it.
struct Rows : ListTarget
{
    QStringList texts;
    QList<qint64> data;
    int tabStop = -1;

    void addItem(const QString& text, qint64 itemData) override
    {
        texts << text;
        data << itemData;
    }
    void clear() override
    {
        texts.clear();
        data.clear();
    }
    void setTabStop(int pixels) override { tabStop = pixels; }
};

CountryRecord sampleCountry()
{
    CountryRecord uk;
    uk.name = QStringLiteral("United Kingdom");
    uk.diallingCode = QStringLiteral("44");
    uk.trunkPrefix = QStringLiteral("0");
    const std::pair<const char*, const char*> codes[] = {
        {"0113", "Leeds"},           {"01768", "Penrith"},
        {"017687", "Keswick"},       {"017683", "Appleby"},
        {"028", "Northern Ireland"}, {"028 90", "Belfast"},
        {"028 91", "Bangor"},        {"016973", "Wigton"},
        {"016977", "Brampton"},      {"", "A code with no digits"},
    };
    for (const auto& [code, place] : codes)
        uk.areaCodes.items.push_back({QString::fromLatin1(code), QString::fromLatin1(place)});
    return uk;
}

class International : public Testing::DataFileTest
{
protected:
    QString file = path("International.bin");

    International() { setInternationalFilePath(file); }
    ~International() override { setInternationalFilePath(QString()); }

    PlaceOutcome run(const char* command, QString& result, const PlaceTarget& target = {},
                     const QString& country = QString())
    {
        QString text = QString::fromLatin1(command);
        return PlaceFromAreaCode(target, text, result, country);
    }
};

} // namespace

TEST_F(International, ReadsTheHandMadeFileAndWritesItBackByteForByte)
{
    const QByteArray bytes = handMadeDatabase();
    Testing::writeBytes(file, bytes);
    const std::optional<InternationalRecord> record = readInternationalFile(file);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->codeColumnWidth(), 7);
    ASSERT_EQ(record->countries.items.size(), 2u);
    const CountryRecord& uk = record->countries.items[1];
    EXPECT_EQ(uk.name, QStringLiteral("United Kingdom"));
    EXPECT_EQ(uk.diallingCode, QStringLiteral("44"));
    EXPECT_EQ(uk.trunkPrefix, QStringLiteral("0"));
    ASSERT_EQ(uk.areaCodes.items.size(), 2u);
    EXPECT_EQ(uk.areaCodes.items[1].place, QStringLiteral("Penrith"));
    EXPECT_EQ(record->country(2), &uk);
    EXPECT_EQ(record->country(QStringLiteral(" united KINGDOM ")), &uk);
    EXPECT_EQ(record->country(0), nullptr);
    EXPECT_EQ(record->country(3), nullptr);
    EXPECT_EQ(record->f5[199], -1);

    writeInternationalFile(path("copy.bin"), *record);
    EXPECT_EQ(Testing::fileBytes(path("copy.bin")), bytes);
    EXPECT_TRUE(host.boxes.isEmpty());
}

TEST_F(International, RefusedFilesGiveTheirMessageAndLeaveTheTargetAlone)
{
    const QByteArray good = handMadeDatabase();
    struct Case
    {
        const char* name;
        QByteArray bytes; // empty: no file at all
        const char* says;
    };
    const Case cases[] = {
        {"missing", {}, "is not a valid Vantix International database file"},
        {"wrong magic", QByteArray(good).replace(4, 1, "i"),
         "is not a valid Vantix International database file"},
        {"wrong version", QByteArray(good).replace(17, 4, hex("6f12033b")),
         "(File is v0.002, Vantix expects v0.001)"},
        {"cut in a country", good.left(60), "is not a valid Vantix International database file"},
        {"cut in the carried arrays", good.left(good.size() - 1),
         "is not a valid Vantix International database file"},
        {"negative country count", QByteArray(good).replace(39, 4, hex("feffffff")),
         "is not a valid Vantix International database file"},
        {"a count no file can hold", QByteArray(good).replace(39, 4, hex("ffffff7f")),
         "is not a valid Vantix International database file"},
        {"two dimensions", QByteArray(good).replace(37, 2, hex("0200")),
         "is not a valid Vantix International database file"},
    };
    for (const Case& c : cases) {
        QFile::remove(file);
        if (!c.bytes.isEmpty())
            Testing::writeBytes(file, c.bytes);
        Rows rows;
        rows.addItem(QStringLiteral("kept"), 5);
        host.expectBox(MsgAnswer::Ok, QString::fromUtf8(c.says));
        QString result = QStringLiteral("kept");
        EXPECT_FALSE(run("FILLCOUNTRYCODES", result, rows).done) << c.name;
        EXPECT_EQ(rows.texts, QStringList{QStringLiteral("kept")}) << c.name;
        EXPECT_EQ(rows.tabStop, -1) << c.name;
        ASSERT_FALSE(host.boxes.isEmpty()) << c.name;
        EXPECT_TRUE(host.boxes.last().text.contains(file)) << c.name;
        EXPECT_EQ(host.boxes.last().icon, MsgIcon::Exclamation);
        EXPECT_EQ(host.boxes.last().title, QStringLiteral("Warning!"));
    }
    // Nothing was kept open: a good file is read at the next command.
    Testing::writeBytes(file, good);
    Rows rows;
    QString result;
    EXPECT_TRUE(run("FILLCOUNTRYCODES", result, rows).done);
    EXPECT_EQ(rows.texts.size(), 2);
}

TEST_F(International, FillCountriesListsTheSettingsWithoutTheDatabase)
{
    // No database file exists, and no box may come.
    Rows rows;
    QString result;
    EXPECT_TRUE(run("FILLCOUNTRIES", result, rows).done);
    EXPECT_TRUE(rows.texts.isEmpty()); // no branch at all

    Global::SaveRegistryData(QStringLiteral("Config\\Countries"), QStringLiteral("Kept"),
                             QStringLiteral("1"));
    Global::SaveRegistryData(QStringLiteral("Config\\Countries"), QStringLiteral("Kept"),
                             QStringLiteral("KILL"));
    EXPECT_TRUE(run("FILLCOUNTRIES", result, rows).done);
    EXPECT_TRUE(rows.texts.isEmpty()); // the branch holds no value: a count of 000

    for (const char* name : {"United Kingdom", "Ireland", "France"})
        settings.set(QStringLiteral("Config\\Countries"), QString::fromLatin1(name),
                     QStringLiteral("x"));
    rows.addItem(QStringLiteral("(none)"), 0);
    EXPECT_TRUE(run("FILLCOUNTRIES", result, rows).done);
    EXPECT_EQ(rows.texts, (QStringList{QStringLiteral("(none)"), QStringLiteral("United Kingdom"),
                                       QStringLiteral("Ireland"), QStringLiteral("France")}));
    EXPECT_TRUE(host.boxes.isEmpty());
}

TEST_F(International, CountryCodesAreSortedRowsWithTheirReferences)
{
    InternationalRecord record;
    record.setCodeColumnWidth(6);
    record.countries.lbound = 1;
    for (const auto& [name, code] : {std::pair{"United States", "1"},
                                     {"Bahamas", "1 242"},
                                     {"Canada", "1"},
                                     {"Egypt", "20"},
                                     {"Nowhere", ""},
                                     {"United Kingdom", "44"}})
        record.countries.items.push_back(
            {QString::fromLatin1(name), QString::fromLatin1(code), QString(), {}});
    writeInternationalFile(file, record);

    Rows rows;
    rows.addItem(QStringLiteral("stale"), 0);
    QString result;
    EXPECT_TRUE(run("FILLCOUNTRYCODES", result, rows).done);
    EXPECT_EQ(rows.tabStop, 60);
    EXPECT_EQ(rows.texts,
              (QStringList{QStringLiteral("\tNowhere"), QStringLiteral("+1\tCanada"),
                           QStringLiteral("+1\tUnited States"), QStringLiteral("+1 242\tBahamas"),
                           QStringLiteral("+20\tEgypt"), QStringLiteral("+44\tUnited Kingdom")}));
    EXPECT_EQ(rows.data, (QList<qint64>{5, 3, 1, 2, 4, 6}));

    // COUNTRYREF takes the number of the target's value.
    EXPECT_TRUE(run("COUNTRYREF", result, QVariant(3)).done);
    EXPECT_EQ(result, QStringLiteral("Canada"));
    EXPECT_TRUE(run("COUNTRYREF", result, QVariant(QStringLiteral("6"))).done);
    EXPECT_EQ(result, QStringLiteral("United Kingdom"));
    for (const QVariant& outside : {QVariant(0), QVariant(7), QVariant(1e300)}) {
        host.expectBox(
            MsgAnswer::Ok,
            QStringLiteral("FileOperations:PlaceFromAreaCode  Error:Subscript out of range"));
        result = QStringLiteral("kept");
        EXPECT_FALSE(run("COUNTRYREF", result, outside).done);
        EXPECT_EQ(result, QStringLiteral("kept"));
    }
}

TEST_F(International, TheDatabaseStaysOpenUntilClose)
{
    InternationalRecord record;
    record.countries.items.push_back(sampleCountry());
    writeInternationalFile(file, record);
    QString place;
    QString number = QStringLiteral("0113 496 0123");
    PlaceOutcome found = PlaceFromAreaCode({}, number, place, QStringLiteral("united kingdom"));
    EXPECT_TRUE(found.done);
    EXPECT_EQ(found.message, 0);
    EXPECT_EQ(found.country, QStringLiteral("United Kingdom"));
    EXPECT_EQ(place, QStringLiteral("Leeds"));
    EXPECT_EQ(number, QStringLiteral("0113")); // the code that matched

    // Read once: the file going away changes nothing until CLOSE.
    ASSERT_TRUE(QFile::remove(file));
    settings.set(QStringLiteral("Config"), QStringLiteral("LocalCountry"),
                 QStringLiteral("United Kingdom"));
    number = QStringLiteral("017687 12345");
    found = PlaceFromAreaCode({}, number, place); // the local country
    EXPECT_EQ(place, QStringLiteral("Keswick"));

    number = QStringLiteral("0113");
    found = PlaceFromAreaCode({}, number, place, QStringLiteral("France"));
    EXPECT_TRUE(found.done);
    EXPECT_EQ(found.message, UnknownAreaCode);
    EXPECT_TRUE(found.country.isEmpty());
    EXPECT_TRUE(place.isEmpty());
    EXPECT_TRUE(number.isEmpty());

    QString unused;
    EXPECT_TRUE(run("CLOSE", unused).done);
    EXPECT_TRUE(run("CLOSE", unused).done); // closing a closed database is no error
    EXPECT_TRUE(host.boxes.isEmpty());
    host.expectBox(MsgAnswer::Ok, QStringLiteral("International database"));
    number = QStringLiteral("0113");
    EXPECT_FALSE(PlaceFromAreaCode({}, number, place).done);
}

TEST(AreaCodeLookUp, TheLongestCodeWinsAndShortNumbersAreRegions)
{
    const CountryRecord uk = sampleCountry();
    struct Case
    {
        const char* number;
        int message;
        const char* place;
        const char* code;
    };
    const Case cases[] = {
        {"0113 496 0123", 0, "Leeds", "0113"},
        {"01768 123456", 0, "Penrith", "01768"},
        {"017687 12345", 0, "Keswick", "017687"},
        {"(028) 9018-0123", 0, "Belfast", "028 90"},
        {"028 5555 1234", 0, "Northern Ireland", "028"},
        // Too short to tell which longer code: the region, if there is one.
        {"01768", NotExactLocale, "Penrith", "01768"},
        {"028", NotExactLocale, "Northern Ireland", "028"},
        {"0289", NotExactLocale, "Northern Ireland", "028"},
        {"01697", NotExactLocale, "", ""},
        {"0", NotExactLocale, "", ""},
        {"016975 1234", UnknownAreaCode, "", ""},
        {"0999 123456", UnknownAreaCode, "", ""},
        {"", UnknownAreaCode, "", ""},
        {"no digits", UnknownAreaCode, "", ""},
        // Written internationally: the trunk prefix comes back, once.
        {"+44 113 496 0123", 0, "Leeds", "0113"},
        {"0044 113 496 0123", 0, "Leeds", "0113"},
        {"+44 (0)113 496 0123", 0, "Leeds", "0113"},
        {"+44", NotExactLocale, "", ""},
        {"+4", NotExactLocale, "", ""},
        {"+33 1 23 45 67 89", UnknownAreaCode, "", ""},
    };
    for (const Case& c : cases) {
        const AreaCodeMatch match = lookUpAreaCode(uk, QString::fromLatin1(c.number));
        EXPECT_EQ(match.message, c.message) << c.number;
        EXPECT_EQ(match.place, QString::fromLatin1(c.place)) << c.number;
        EXPECT_EQ(match.code, QString::fromLatin1(c.code)) << c.number;
    }

    // A country that dials without a trunk prefix keeps its numbers whole.
    CountryRecord italy{QStringLiteral("Italy"), QStringLiteral("39"), QString(), {}};
    italy.areaCodes.items.push_back({QStringLiteral("06"), QStringLiteral("Rome")});
    EXPECT_EQ(lookUpAreaCode(italy, QStringLiteral("+39 06 1234 5678")).place,
              QStringLiteral("Rome"));
    EXPECT_EQ(lookUpAreaCode(italy, QStringLiteral("6 1234")).message, UnknownAreaCode);
}
