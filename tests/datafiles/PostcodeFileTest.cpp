// SPDX-License-Identifier: GPL-3.0-or-later
#include "datafiles/PostcodeFile.h"

#include "DataFileTesting.h"
#include "datafiles/PostcodeBuilder.h"

#include <QBuffer>
#include <QMap>
#include <QtEndian>

using namespace Routines_RADs;
using namespace DataFiles::Postcode;
using Platform::MsgAnswer;
using Platform::MsgIcon;
using Testing::hex;

namespace {

PostcodeAddress address(const char* postcode, std::array<const char*, 6> lines,
                        const char* company = "")
{
    PostcodeAddress a;
    a.postcode = QString::fromUtf8(postcode);
    for (std::size_t i = 0; i < 6; ++i)
        a.lines[i] = QString::fromUtf8(lines[i]);
    a.company = QString::fromUtf8(company);
    return a;
}

QByteArray built(const std::vector<PostcodeAddress>& addresses,
                 const PostcodeFileOptions& options = {})
{
    PostcodeFileBuilder builder;
    for (const PostcodeAddress& a : addresses)
        EXPECT_EQ(builder.add(a), QString()) << a.postcode.toStdString();
    return builder.build(options);
}

qint32 int32In(const QByteArray& bytes, qint64 position)
{
    return qFromLittleEndian<qint32>(bytes.constData() + position - 1);
}

void setInt32In(QByteArray& bytes, qint64 position, qint32 value)
{
    qToLittleEndian(value, bytes.data() + position - 1);
}

// A small file: a street of houses under one postcode, a business, a PO Box,
// a word beyond ASCII, and postcodes that share their four cells (AB and BA,
// V and A are in one group).
std::vector<PostcodeAddress> smallTown()
{
    return {
        address("IV23 7AR", {"", "Rose Cottage", "High Street", "", "Garve", "Ross-shire"}),
        address("AB1 2CD", {"Flat 2", "Rose Court", "1 High Street", "Old Town", "Aberdeen", ""}),
        address("AB1 2CD", {"", "", "3 High Street", "Old Town", "Aberdeen", ""}),
        address("AB1 2CD", {"", "", "5 High Street", "Old Town", "Aberdeen", ""}, "Café Rouge Ltd"),
        address("BA1 2CD", {"", "", "2 Milsom Street", "", "Bath", "Somerset"}),
        address("VA1 2CD", {"", "", "PO Box 12", "", "Bath", "Somerset"}, "Acme Widgets Ltd"),
        address("SW1A 1AA", {"", "Buckingham Palace", "", "", "London", ""}),
    };
}

class PostcodeFileTest : public Testing::DataFileTest
{
protected:
    ~PostcodeFileTest() override
    {
        CloseRADs();
        setCurrentUserName(QString());
    }

    PostcodeFile openBytes(const QByteArray& bytes, const char* name = "UKPAF.BIN")
    {
        const QString file = Testing::writeBytes(path(name), bytes);
        std::optional<PostcodeFile> opened = PostcodeFile::open(file, QString::fromUtf8(name));
        EXPECT_TRUE(opened.has_value());
        return std::move(*opened);
    }
};

} // namespace

TEST(PostcodeKeys, CellsAndKeyOfThePostcodeAsGiven)
{
    const struct
    {
        const char* postcode;
        std::array<qint16, 4> cells;
        QList<int> key;
    } cases[] = {
        {"SW1A", {9, 10, 1, 1}, {12}},
        {"SW1A 1AA", {9, 10, 1, 1}, {12, ' ', '1', 'A', 'A'}},
        {"LS1 0NG", {6, 9, 1, 6}, {12, '0', 'N', 'G'}}, // the blank counts as L
        {"W1", {10, 1, 6, 6}, {48}},                    // padded with L
        {"", {6, 6, 6, 6}, {0}},
        {"sw1a", {6, 6, 1, 6}, {12}}, // cells compare exactly, the key in upper case
        {"E-1", {3, 6, 1, 6}, {60}},  // in no group: cell 6, place 3
        {"Z9", {10, 9, 6, 6}, {160}},
    };
    for (const auto& c : cases) {
        const QString postcode = QString::fromUtf8(c.postcode);
        EXPECT_EQ(postcodeCells(postcode), c.cells) << c.postcode;
        QList<int> key;
        for (const char b : postcodeKey(postcode))
            key << quint8(b);
        EXPECT_EQ(key, c.key) << c.postcode;
    }
}

TEST(PostcodeKeys, WhatAUserTypesIsPutInTheFilesForm)
{
    const std::pair<const char*, const char*> cases[] = {
        {"ls10ng", "LS1 0NG"},
        {"  sw1a   1aa ", "SW1A 1AA"},
        {"SW1A1AA", "SW1A 1AA"},
        {"LS1 0NG", "LS1 0NG"},
        {"w1", "W1"},
        {"", ""},
        {"12345", "12345"},
        {"m11ae", "M1 1AE"},
        {"1AA", "1AA"},
    };
    for (const auto& [typed, form] : cases)
        EXPECT_EQ(normalisePostcode(QString::fromUtf8(typed)), QString::fromUtf8(form)) << typed;
}

TEST(PostcodeKeys, StoredLinesDecodeByteByByte)
{
    const WordSource words = [](int number) -> std::optional<QByteArray> {
        if (number >= 30000)
            return std::nullopt;
        return "w" + QByteArray::number(number);
    };
    const struct
    {
        QByteArray stored;
        const char* text;
        bool damaged;
    } cases[] = {
        {hex("03 3132"), "PO Box 12", false},
        {QByteArray("ab\x01"
                    "cd"),
         "ab", false},
        {hex("80 05 20 8f ff"), "w5 w4095", false},
        {hex("f3 07"), "w29447", false}, // 7 x 4096 + 3 x 256 + 7
        {hex("f7 ff 41"), "A", true},    // 32767: not in the dictionary
        {hex("41 81"), "A", false},      // a word cut off by the end of the text
        {hex("e9"), "", false},
        {hex("02 2f"), "\x02/", false},
    };
    for (const auto& c : cases) {
        bool damaged = false;
        EXPECT_EQ(decodeAddressLine(c.stored, words, &damaged), QString::fromUtf8(c.text))
            << c.stored.toHex().constData();
        EXPECT_EQ(damaged, c.damaged) << c.stored.toHex().constData();
    }
}

TEST_F(PostcodeFileTest, TheBuildersBytesPinTheLayout)
{
    PostcodeFileOptions options;
    options.title = QStringLiteral("Test");
    options.users = {QStringLiteral("ann")};
    const QByteArray bytes =
        built({address("SW1A 1AA", {"", "", "1 High Street", "", "London", ""}),
               address("SW1A 1AA", {"", "", "2 Low Street", "", "London", ""})},
              options);
    EXPECT_EQ(bytes.left(11), hex("5a757820524144 a69b443b")); // "Zux RAD", 0.003
    EXPECT_EQ(bytes.mid(11, 4), "Test");
    EXPECT_EQ(bytes.mid(161, 2), hex("ffff")); // requires authorisation
    EXPECT_EQ(bytes.mid(219, 30), QByteArray("ann").leftJustified(30, ' '));
    // "London" and "Street" repeat: one word record at 2204 for block 0.
    EXPECT_EQ(int32In(bytes, 1180), 2204);
    EXPECT_EQ(int32In(bytes, 1184), -1);
    EXPECT_EQ(bytes.mid(2203, 18), hex("0200 0e00") + QByteArray("London\0Street\0", 14));
    // The root table follows, then one table a level down each cell.
    const qint64 root = 2222;
    EXPECT_EQ(int32In(bytes, 166), root);
    const qint64 levels[] = {root, root + 80, root + 160, root + 240, root + 320};
    const int cells[] = {9, 10, 1, 1};
    for (int level = 0; level < 4; ++level) {
        for (int entry = 1; entry <= 20; ++entry)
            EXPECT_EQ(int32In(bytes, levels[level] + (entry - 1) * 4),
                      entry == cells[level] ? levels[level + 1] : -1)
                << level << " " << entry;
    }
    // One address record: no next, none following, two entries.
    const qint64 record = levels[4];
    EXPECT_EQ(bytes.size(), record - 1 + RecordSize);
    EXPECT_EQ(int32In(bytes, record), -1);
    EXPECT_EQ(int32In(bytes, record + 4), 0);
    const QByteArray entries = hex("02 0c 20314141 01") + "\x01\x01" + "1 High " +
                               hex("8001 01 01 8000 01 01 01") + hex("02 0c 20314141 01") +
                               "\x01\x01" + "2 Low " + hex("8001 01 01 8000 01 01 01");
    EXPECT_EQ(bytes.mid(record + 7, entries.size()), entries);
    EXPECT_EQ(bytes.mid(record + 7 + entries.size()),
              QByteArray(EntriesSize - entries.size(), ' '));
}

TEST_F(PostcodeFileTest, LooksUpNoneOneOrManyAddresses)
{
    setCurrentUserName(QStringLiteral("ann"));
    PostcodeFile file = openBytes(built(smallTown()));
    const struct
    {
        const char* postcode;
        QStringList addresses;
    } cases[] = {
        {"IV23 7AR", {"Rose Cottage|High Street||Garve|Ross-shire|IV23 7AR|"}},
        {"AB1 2CD",
         {"Flat 2, Rose Court|1 High Street|Old Town|Aberdeen||AB1 2CD|",
          "|3 High Street|Old Town|Aberdeen||AB1 2CD|",
          "|5 High Street|Old Town|Aberdeen||AB1 2CD|Café Rouge Ltd"}},
        {"BA1 2CD", {"|2 Milsom Street||Bath|Somerset|BA1 2CD|"}},
        {"VA1 2CD", {"|PO Box 12||Bath|Somerset|VA1 2CD|Acme Widgets Ltd"}},
        {"SW1A 1AA", {"Buckingham Palace|||London||SW1A 1AA|"}},
        {"AB1 2CE", {}}, // in a chain, between two keys
        {"VB1 2CD", {}}, // the same cells, no such key
        {"ZZ9 9ZZ", {}}, // no table for its cells
        {"AB1 2C", {}},  // a key that begins another
    };
    for (const auto& c : cases) {
        const PostcodeMatches found = file.lookup(QString::fromUtf8(c.postcode));
        EXPECT_EQ(found.addresses, c.addresses) << c.postcode;
        EXPECT_EQ(found.text, c.addresses.value(0, QStringLiteral("No matches found.")));
        EXPECT_EQ(found.damage, QString()) << c.postcode;
    }
    EXPECT_EQ(file.header().addresses, 7);
    EXPECT_EQ(file.header().postcodes, 5);
    EXPECT_TRUE(host.boxes.isEmpty());
}

TEST_F(PostcodeFileTest, EveryPostcodeOfALargeFileFindsExactlyItsAddresses)
{
    // Thousands of addresses in few chains, so that chains run over many
    // records and one postcode's entries span records.
    std::vector<PostcodeAddress> addresses;
    QMap<QString, QStringList> expected;
    const char* areas[] = {"LS", "SL", "MS", "B", "AB"};
    int n = 0;
    for (const char* area : areas) {
        for (int district = 1; district <= 3; ++district) {
            for (int unit = 0; unit < 40; ++unit) {
                const QString postcode = QStringLiteral("%1%2 %3%4%5")
                                             .arg(QLatin1String(area))
                                             .arg(district)
                                             .arg(unit % 10)
                                             .arg(QLatin1Char(char('A' + unit / 10)))
                                             .arg(QLatin1Char(char('A' + (unit * 7) % 26)));
                const int houses = 1 + (n * 7) % 23;
                for (int h = 0; h < houses; ++h, ++n) {
                    PostcodeAddress a;
                    a.postcode = postcode;
                    a.lines[2] = QStringLiteral("%1 Station Road").arg(h + 1);
                    a.lines[4] = QStringLiteral("Town%1").arg(n % 50);
                    a.company = h == 3 ? QStringLiteral("Shop %1").arg(n) : QString();
                    addresses.push_back(a);
                    expected[postcode] << QStringLiteral("|%1 Station Road||Town%2||%3|%4")
                                              .arg(h + 1)
                                              .arg(n % 50)
                                              .arg(postcode, a.company);
                }
            }
        }
    }
    PostcodeFile file = openBytes(built(addresses));
    EXPECT_GT(file.size(), 100 * RecordSize);
    for (auto it = expected.begin(); it != expected.end(); ++it)
        ASSERT_EQ(file.lookup(it.key()).addresses, it.value()) << it.key().toStdString();
}

TEST_F(PostcodeFileTest, OpeningChecksMagicVersionAndUsers)
{
    PostcodeFileOptions options;
    options.users = {QStringLiteral("ann"), QStringLiteral("bob")};
    const QByteArray bytes = built(smallTown(), options);
    const QString file = path("UKPAF.BIN");

    Testing::writeBytes(file, QByteArray(bytes).replace(0, 7, "Zux RAX"));
    host.expectBox(MsgAnswer::Ok, QStringLiteral("The file \"UKPAF.BIN\" is not a valid Vantix "
                                                 "Rapid Addressing Database file"));
    EXPECT_FALSE(PostcodeFile::open(file, QStringLiteral("UKPAF.BIN")));
    EXPECT_EQ(host.boxes.last().icon, MsgIcon::Exclamation);
    EXPECT_EQ(host.boxes.last().title, QStringLiteral("Warning!"));

    Testing::writeBytes(file, QByteArray(bytes).replace(7, 4, hex("6f12833b")));
    host.expectBox(MsgAnswer::Ok, QStringLiteral("(File is v0.004, Vantix expects v0.003)"));
    EXPECT_FALSE(PostcodeFile::open(file, QStringLiteral("UKPAF.BIN")));

    Testing::writeBytes(file, bytes);
    setCurrentUserName(QStringLiteral("carol"));
    host.expectBox(MsgAnswer::Ok, QStringLiteral("You are not registered to use this postal"));
    EXPECT_FALSE(PostcodeFile::open(file, QStringLiteral("UKPAF.BIN")));
    EXPECT_EQ(host.boxes.last().icon, MsgIcon::Information);
    EXPECT_EQ(host.boxes.last().title, QStringLiteral("Please confirm"));

    setCurrentUserName(QStringLiteral("bob"));
    std::optional<PostcodeFile> opened = PostcodeFile::open(file, QStringLiteral("UKPAF.BIN"));
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->users(), options.users);
    EXPECT_EQ(host.boxes.size(), 3);

    // Without users, anybody may.
    Testing::writeBytes(file, built(smallTown()));
    setCurrentUserName(QStringLiteral("carol"));
    EXPECT_TRUE(PostcodeFile::open(file, QStringLiteral("UKPAF.BIN")));
}

TEST_F(PostcodeFileTest, LookupPostcodeKeepsTheFileOpenAndNormalises)
{
    const QString file = Testing::writeBytes(path("town.bin"), built(smallTown()));
    PostcodeMatches found = LookupPostcode(file, QStringLiteral("iv237ar"));
    EXPECT_EQ(found.text, QStringLiteral("Rose Cottage|High Street||Garve|Ross-shire|IV23 7AR|"));
    EXPECT_EQ(found.matches(), 1);
    // Kept open: another file in its place does not matter until it is closed.
    QFile::remove(file);
    Testing::writeBytes(file, "Zux RAX");
    EXPECT_EQ(LookupPostcode(file, QStringLiteral("ab1 2cd")).matches(), 3);
    EXPECT_EQ(LookupWord(0).has_value(), true);
    EXPECT_TRUE(found.readWhole);
    CloseRADs();
    // A file refused when opened has said why; one that cannot be read, or
    // is damaged, says why in `problem`: none of them is read whole.
    host.expectBox(MsgAnswer::Ok, QStringLiteral("is not a valid"));
    found = LookupPostcode(file, QStringLiteral("ab1 2cd"));
    EXPECT_EQ(found.matches(), 0);
    EXPECT_EQ(found.text, QStringLiteral("No matches found."));
    EXPECT_FALSE(found.readWhole);
    EXPECT_EQ(found.problem, QString());
    found = LookupPostcode(path("absent.bin"), QStringLiteral("ab1 2cd"));
    EXPECT_FALSE(found.readWhole);
    EXPECT_TRUE(found.problem.contains(QStringLiteral("could not be read (File not found)")));
    Testing::writeBytes(file, built(smallTown()).left(2300));
    found = LookupPostcode(file, QStringLiteral("ab1 2cd"));
    EXPECT_FALSE(found.readWhole);
    EXPECT_TRUE(found.problem.contains(QStringLiteral("is damaged (")))
        << found.problem.toStdString();
    EXPECT_EQ(host.boxes.size(), 1);
}

TEST_F(PostcodeFileTest, DamagedFilesGiveNoMatchAndSayWhy)
{
    // Two chains' worth: IV23 7AR alone, and a long chain in LS1.
    std::vector<PostcodeAddress> addresses = smallTown();
    for (int i = 0; i < 120; ++i)
        addresses.push_back(address(i < 60 ? "LS1 1AA" : "LS1 9ZZ",
                                    {"", "", "Long Lane", "", "Leeds", "West Yorkshire"}));
    const QByteArray good = built(addresses);
    const qint64 root = int32In(good, 166);
    const std::array<qint16, 4> ls1 = postcodeCells(QStringLiteral("LS1 9ZZ"));
    qint64 table = root;
    for (int level = 0; level < 4; ++level)
        table = int32In(good, table + (ls1[std::size_t(level)] - 1) * 4);
    const qint64 chain = table;
    ASSERT_GT(int32In(good, chain + 4), 1); // several records follow
    // Where the root table leads for IV23 7AR, the other tables of whose path are mostly empty.
    const qint64 rootEntry = root + (postcodeCells(QStringLiteral("IV23 7AR"))[0] - 1) * 4;
    const auto level4Entry = [&](const QByteArray& b) {
        qint64 t = root;
        for (int level = 0; level < 3; ++level)
            t = int32In(b, t + (ls1[std::size_t(level)] - 1) * 4);
        return t + (ls1[3] - 1) * 4;
    };

    const struct
    {
        const char* what;
        std::function<void(QByteArray&)> damage;
        const char* postcode;
        std::string says;
    } cases[] = {
        {"root outside", [&](QByteArray& b) { setInt32In(b, 166, 99999999); }, "IV23 7AR",
         "outside the file"},
        {"root in the header", [&](QByteArray& b) { setInt32In(b, 166, 100); }, "IV23 7AR",
         "outside the file"},
        {"chain outside",
         [&](QByteArray& b) { setInt32In(b, level4Entry(b), qint32(b.size() - 100)); }, "LS1 9ZZ",
         "outside the file"},
        {"table leads back to itself",
         [&](QByteArray& b) { setInt32In(b, rootEntry, qint32(root)); }, "IV23 7AR",
         "the table of level 2 at " + std::to_string(root) + " lies over the table of level 1"},
        {"table into another", [&](QByteArray& b) { setInt32In(b, rootEntry, qint32(root + 40)); },
         "IV23 7AR", "lies over the table of level 1"},
        {"chain over a table", [&](QByteArray& b) { setInt32In(b, level4Entry(b), qint32(root)); },
         "LS1 9ZZ", "the chain at " + std::to_string(root) + " lies over the table of level 1"},
        {"chain loops",
         [&](QByteArray& b) {
             setInt32In(b, chain + 4, 0); // the reader starts at the first record
             setInt32In(b, chain, qint32(chain));
         },
         "LS1 9ZZ", "loops back"},
        {"too many following", [&](QByteArray& b) { setInt32In(b, chain + 4, 1000000); }, "LS1 9ZZ",
         "runs past the end"},
        {"word outside",
         [&](QByteArray& b) {
             const qsizetype at = b.indexOf("Garve");
             ASSERT_GT(at, 0);
             b[at] = char(0xf7);
             b[at + 1] = char(0xff);
         },
         "IV23 7AR", "not in the dictionary"},
        {"word block outside", [&](QByteArray& b) { setInt32In(b, 1180, 99999999); }, "LS1 9ZZ",
         "not in the dictionary"},
        {"entry cut short",
         [&](QByteArray& b) { b.replace(chain + 8, EntriesSize, QByteArray(EntriesSize, '\x02')); },
         "LS1 1AA", "cut short"},
    };
    for (const auto& c : cases) {
        QByteArray bytes = good;
        c.damage(bytes);
        PostcodeFile file = openBytes(bytes);
        const PostcodeMatches found = file.lookup(QString::fromUtf8(c.postcode));
        EXPECT_TRUE(found.addresses.isEmpty()) << c.what;
        EXPECT_TRUE(found.damage.contains(QString::fromStdString(c.says)))
            << c.what << ": " << found.damage.toStdString();
        EXPECT_EQ(found.text, QStringLiteral("No matches found.")) << c.what;
    }

    // Cut short: the whole answer, or none and a reason, quietly. Every length
    // through the word records and the first tables; a sample of the rest.
    const QByteArray small = built(smallTown());
    const QStringList whole = openBytes(small).lookup(QStringLiteral("AB1 2CD")).addresses;
    const qint64 records = int32In(small, 166) + 2 * TableSize;
    for (qsizetype length = 0; length < small.size();
         length += length < ContentsPosition - 40 || length > records ? 23 : 1) {
        const QString file = Testing::writeBytes(path("cut.bin"), small.left(length));
        std::optional<PostcodeFile> opened = PostcodeFile::open(file, QStringLiteral("cut"), true);
        if (!opened)
            continue;
        const PostcodeMatches found = opened->lookup(QStringLiteral("AB1 2CD"));
        EXPECT_TRUE(found.addresses.isEmpty() || found.addresses == whole) << length;
        EXPECT_NE(found.addresses.isEmpty(), found.damage.isEmpty()) << length;
    }
    EXPECT_TRUE(host.boxes.isEmpty());
}

TEST_F(PostcodeFileTest, WordBlocksAreCachedAndTheLeastRecentGivesWay)
{
    // 34 blocks of words, each word used twice.
    std::vector<PostcodeAddress> addresses;
    const int words = 34 * WordsPerBlock;
    for (int i = 0; i < words; ++i) {
        const QString word = QStringLiteral("Word%1").arg(i, 5, 10, QLatin1Char('0'));
        PostcodeAddress a;
        a.postcode = QStringLiteral("AB1 2CD");
        a.lines[2] = word;
        addresses.push_back(a);
        addresses.push_back(a);
    }
    PostcodeFile file = openBytes(built(addresses));
    ASSERT_EQ(file.header().words, words);
    EXPECT_EQ(file.word(0), QByteArray("Word00000"));
    EXPECT_EQ(file.word(127), QByteArray("Word00127"));
    EXPECT_EQ(file.blockReads(), 1);
    for (int block = 1; block < PostcodeFile::CachedBlocks; ++block)
        file.word(block * WordsPerBlock);
    EXPECT_EQ(file.blockReads(), PostcodeFile::CachedBlocks);
    file.word(5); // block 0 used again
    EXPECT_EQ(file.blockReads(), PostcodeFile::CachedBlocks);
    file.word(PostcodeFile::CachedBlocks * WordsPerBlock); // block 32 pushes out block 1
    EXPECT_EQ(file.blockReads(), PostcodeFile::CachedBlocks + 1);
    file.word(3);
    EXPECT_EQ(file.blockReads(), PostcodeFile::CachedBlocks + 1);
    EXPECT_EQ(file.word(WordsPerBlock + 1), QByteArray("Word00129")); // block 1 read again
    EXPECT_EQ(file.blockReads(), PostcodeFile::CachedBlocks + 2);
    EXPECT_EQ(file.word(words), std::nullopt);
    EXPECT_EQ(file.word(-1), std::nullopt);
}

TEST(PostcodeCsv, ReadsQuotedFieldsHeadingsAndOddBytes)
{
    QByteArray csv = "\xEF\xBB\xBFPostcode,Premises,Building,Road,District,Town,County,Company\r\n"
                     "ab1 2cd,,\"Rose Court, East\",\"1 \"\"Old\"\" Road\",,Aberdeen\r\n"
                     "\r\n"
                     "IV23 7AR,,,High Street,,Garve,,Caf\xE9 Ltd\n"     // Windows-1252
                     "IV23 7AR,,,Low Street,,Garve,,Caf\xC3\xA9 Two\n"; // UTF-8
    QBuffer input(&csv);
    input.open(QIODevice::ReadOnly);
    PostcodeFileBuilder builder;
    EXPECT_EQ(readPostcodeCsv(input, builder), QStringList());
    ASSERT_EQ(builder.addresses(), 3);
    Testing::TestSettings settings;
    const QString file =
        Testing::writeBytes(settings.folder() + QStringLiteral("/f.bin"), builder.build({}));
    std::optional<PostcodeFile> opened = PostcodeFile::open(file, QStringLiteral("f"));
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->lookup(QStringLiteral("AB1 2CD")).addresses,
              QStringList{QStringLiteral("Rose Court, East|1 \"Old\" Road||Aberdeen||AB1 2CD|")});
    EXPECT_EQ(opened->lookup(QStringLiteral("IV23 7AR")).addresses,
              (QStringList{QStringLiteral("|High Street||Garve||IV23 7AR|Café Ltd"),
                           QStringLiteral("|Low Street||Garve||IV23 7AR|Café Two")}));
}

TEST(PostcodeCsv, BadRowsAreNamedByTheirLine)
{
    QByteArray csv = "AB1 2CD,,,1 Road\n"
                     "AB1 2CD,a,b,c,d,e,f,g,h\n"
                     ",,,No postcode\n"
                     "AB1-2CD,,,Road\n"
                     "AB1 2CD,,,\"Two\nlines\"\n"
                     "AB1 2CD,,,A|B\n"
                     "ABCDEFGHIJK1AA,,,Road\n"
                     "AB1 2CD,,,\"quoted\"tail\n"
                     "AB1 2CD,,," +
                     QByteArray(101, 'x') +
                     "\n"
                     "AB1 2CD,,,\"never closed\n";
    QBuffer input(&csv);
    input.open(QIODevice::ReadOnly);
    PostcodeFileBuilder builder;
    const QStringList problems = readPostcodeCsv(input, builder);
    const char* expected[] = {
        "line 2: 9 fields",
        "line 3: the postcode is empty",
        "line 4: the postcode \"AB1-2CD\" holds \"-\"",
        "line 5: address line 3 holds a control character",
        "line 7: address line 3 holds \"|\"",
        "line 8: the postcode \"ABCDEFGHIJK1AA\" is longer than 10",
        "line 9: text follows the closing quote of field 4",
        "line 10: address line 3 is longer than 100",
        "line 11: the quoted field 4 is not closed",
    };
    ASSERT_EQ(problems.size(), qsizetype(std::size(expected))) << problems.join('\n').toStdString();
    for (std::size_t i = 0; i < std::size(expected); ++i)
        EXPECT_TRUE(problems[qsizetype(i)].startsWith(QString::fromUtf8(expected[i])))
            << problems[qsizetype(i)].toStdString();
    EXPECT_EQ(builder.addresses(), 1);
}
