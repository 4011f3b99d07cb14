// SPDX-License-Identifier: GPL-3.0-or-later
#include "datafiles/ShareFile.h"

#include "DataFileTesting.h"

using namespace DataFiles;
using namespace Routines_ShareFile;
using Platform::MsgAnswer;
using Testing::hex;

namespace {

QByteArray padded(const char* text, int width)
{
    return QByteArray(text).leftJustified(width, ' ');
}

// A share file written out by hand: record A at 31, record B at 62, the
// user list at 95.
QByteArray handMadeShare()
{
    QByteArray b = hex("5a757820536861726564 5839343c"); // "Zux Shared", 0.011
    b += hex("5f000000 1f000000 3e000000 00000000");     // directory: 95, 31, 62, 0
    // A: f1 "L1", f6 "X6", f12 "A12"
    b += hex("0200 4c31 0000 0000 0000 0000 0200 5836 0000 0000 0000 0000 0000 0300 413132");
    // B: f8 "B8", f14 "B14"
    b += hex("0000 0000 0000 0000 0000 0000 0000 0200 4238 0000 0000 0000 0000 0000 0300 423134");
    b += hex("0100 01000000 01000000"); // one user from 1
    b += padded("Ann Smith", 60) + padded("AS", 8) + padded("ann", 32) +
         padded("ann@example.com", 48) + hex("01000000 0300 000000000000");
    return b;
}

class ShareFile : public Testing::DataFileTest
{
protected:
    QString file = settings.folder() + QStringLiteral("/Shared.bin");

    ShareFile() { setShareFilePath(file); }
    ~ShareFile() override
    {
        setShareFilePath(QString());
        setUsers({});
    }
};

} // namespace

TEST_F(ShareFile, ReadsTheHandMadeFileAndWritesItBackByteForByte)
{
    const QByteArray bytes = handMadeShare();
    Testing::writeBytes(file, bytes);
    const std::pair<int, const char*> items[] = {{4, "L1"},  {1, "X6"},   {40, "A12"},
                                                 {13, "B8"}, {42, "B14"}, {5, ""}};
    ShareFileContents contents;
    for (const auto& [item, text] : items) {
        QString result = QStringLiteral("before");
        EXPECT_TRUE(ReadShare(qint16(item), result)) << item;
        EXPECT_EQ(result, QString::fromUtf8(text)) << item;
    }
    QString result;
    EXPECT_TRUE(ReadShare(33, result));
    ASSERT_EQ(users().size(), 1u);
    const ShareUser& ann = users()[0];
    EXPECT_EQ(ann.name.value(), QStringLiteral("Ann Smith"));
    EXPECT_EQ(ann.initials.value(), QStringLiteral("AS"));
    EXPECT_EQ(ann.login.value(), QStringLiteral("ann"));
    EXPECT_EQ(ann.email.value(), QStringLiteral("ann@example.com"));
    EXPECT_EQ(ann.number, 1);
    EXPECT_EQ(ann.flags, ShareUser::Administrator | ShareUser::IndexManager);
    EXPECT_EQ(minEncodedSize<ShareUser>(), 160);

    contents.a.texts[0] = QStringLiteral("L1");
    contents.a.texts[5] = QStringLiteral("X6");
    contents.a.texts[11] = QStringLiteral("A12");
    contents.b.texts[7] = QStringLiteral("B8");
    contents.b.texts[13] = QStringLiteral("B14");
    contents.list.users.lbound = 1;
    contents.list.users.items = users();
    writeShareFile(settings.folder() + QStringLiteral("/copy.bin"), contents);
    EXPECT_EQ(
        Testing::fileBytes(settings.folder() + QStringLiteral("/copy.bin")).toHex().toStdString(),
        bytes.toHex().toStdString());
}

TEST_F(ShareFile, EveryItemComesFromItsField)
{
    ShareFileContents contents;
    for (int i = 0; i < 12; ++i)
        contents.a.texts[std::size_t(i)] = QStringLiteral("A%1").arg(i + 1);
    for (int i = 0; i < 14; ++i)
        contents.b.texts[std::size_t(i)] = QStringLiteral("B%1").arg(i + 1);
    contents.list.users.items = {Fixtures::sampleRecord<ShareUser>(1),
                                 Fixtures::sampleRecord<ShareUser>(20)};
    writeShareFile(file, contents);

    const QStringList expected = {"",    "A6",  "A7",  "A8",  "A1",  "A2",  "A3",  "A5", "B1",
                                  "B2",  "B3",  "B4",  "B5",  "B8",  "B6",  "B7",  "A4", "B9",
                                  "B10", "-",   "-",   "-",   "-",   "-",   "-",   "-",  "-",
                                  "-",   "-",   "-",   "-",   "-",   "-",   "-",   "-",  "-",
                                  "A9",  "B11", "B12", "A11", "A12", "B13", "B14", "-"};
    for (qint16 item = 1; item <= 43; ++item) {
        QString result = QStringLiteral("-");
        EXPECT_TRUE(ReadShare(item, result)) << item;
        EXPECT_EQ(result, expected[item]) << item;
    }
    EXPECT_EQ(users(), contents.list.users.items);
    EXPECT_TRUE(host.boxes.isEmpty());
}

TEST_F(ShareFile, BadFilesGiveFalseAndTheirMessage)
{
    QString result = QStringLiteral("kept");
    EXPECT_FALSE(ReadShare(4, result)); // no share file at all: quietly

    Testing::writeBytes(file, "Zux Sharez and more");
    for (int round = 0; round < 2; ++round) {
        host.expectBox(MsgAnswer::Ok, QStringLiteral("is not a valid Vantix Share Info file"));
        EXPECT_FALSE(ReadShare(20, result));
    }
    QByteArray bytes = handMadeShare();
    Testing::writeBytes(file, QByteArray(bytes).replace(10, 4, hex("6f12033c")));
    host.expectBox(MsgAnswer::Ok, QStringLiteral("(File is v0.008, Vantix expects v0.011)"));
    EXPECT_FALSE(ReadShare(4, result));

    // Directory positions outside the file: nothing changes.
    setUsers({Fixtures::sampleRecord<ShareUser>()});
    const char* directories[] = {"5f000000 00000000 3e000000 00000000",
                                 "5f000000 1f000000 10270000 00000000",
                                 "ffffffff 1f000000 3e000000 00000000"};
    const qint16 items[] = {4, 42, 33};
    for (int i = 0; i < 3; ++i) {
        Testing::writeBytes(file, QByteArray(bytes).replace(14, 16, hex(directories[i])));
        host.expectBox(MsgAnswer::Ok,
                       QStringLiteral("Routines_ShareFile:ReadShare  Error:Bad record number"));
        EXPECT_FALSE(ReadShare(items[i], result)) << i;
        EXPECT_EQ(result, QStringLiteral("kept"));
        EXPECT_EQ(users().size(), 1u);
        // Items that read nothing do not look at the directory.
        EXPECT_TRUE(ReadShare(20, result));
    }
}

TEST_F(ShareFile, EveryTruncationReadsQuietlyAsFarAsTheFileGoes)
{
    const QByteArray bytes = handMadeShare();
    for (qsizetype length = 30; length < bytes.size(); ++length) {
        Testing::writeBytes(file, bytes.left(length));
        QString result = QStringLiteral("-");
        // B starts at 62: before that its position lies outside the file.
        if (length < 62)
            host.expectBox(MsgAnswer::Ok, QStringLiteral("Bad record number"));
        const bool read = ReadShare(42, result);
        EXPECT_EQ(read, length >= 62) << length;
        EXPECT_EQ(result, length < 62 ? u"-" : length < 94 ? u"" : u"B14") << length;
        if (length >= 95) {
            // A user cut short is not there at all.
            setUsers({ShareUser()});
            EXPECT_TRUE(ReadShare(33, result));
            EXPECT_TRUE(users().empty()) << length;
        }
    }
}
