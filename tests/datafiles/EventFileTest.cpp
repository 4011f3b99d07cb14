// SPDX-License-Identifier: GPL-3.0-or-later
#include "datafiles/EventFile.h"

#include "DataFileTesting.h"

#include <QTemporaryDir>

using namespace DataFiles;
using FileOperations::ReadEvent;
using FileOperations::writeEventFile;
using Platform::MsgAnswer;
using Testing::hex;

namespace {

// An e-mail written out field by field.
const QByteArray HandMadeEvent =
    hex("5a7578204576656e74 f4fd543c"                      // "Zux Event", 0.013
        "0100 0000 0000 0000"                              // 1-4
        "000000000000000000000000000000000000000000000000" // 5: Bytes(24)
        "0800 7b5c72746631207d"                            // 6 Body "{\rtf1 }"
        "0000"                                             // 7
        "0a00 436f6e74616374207573"                        // 8 Subject "Contact us"
        "00000000000000000000"                             // 9: Bytes(10)
        "0000 0000 0000"                                   // 10-12
        "0000000000000000"                                 // 13: Bytes(8)
        "0100 01000000 01000000"                           // 14: one item from 1
        "  0100 61 0000 0000 0500 0000 0000 01020304"      // its fields
        "0000 0000"                                        // 15-16
        "0000 0000"                                        // 17-18
        "0100 00000000 00000000"                           // 19: dimensioned, empty
        "0000 0000 0000 0000 0000"                         // 20-24
        "0000 0000"                                        // 25-26
        "ffff"                                             // 27 EntryFlagA
        "0000 0000"                                        // 28-29
        "00000000 00000000 00000000 00000000 00000000"     // 30-34
        "0000000000000000 0000000000000000"                // 35-36
        "00000000 00000000"                                // 37-38
        "ffff"                                             // 39 EntryFlagB
        "0000 0000"                                        // 40-41
        "0000"                                             // 42: unallocated
        "0000 0000 0300"                                   // 43-45
        "00000000 00000000 0a0b0c0d"                       // 46-48
    );

using EventFile = Testing::DataFileTest;

} // namespace

TEST_F(EventFile, ReadsTheHandMadeFileAndWritesItBackByteForByte)
{
    const EventRecord event = ReadEvent(Testing::writeBytes(path("EMI_1.emi"), HandMadeEvent));
    EXPECT_EQ(event.Subject, QStringLiteral("Contact us"));
    EXPECT_EQ(event.Body, QStringLiteral("{\\rtf1 }"));
    EXPECT_EQ(event.EntryFlagA, -1);
    EXPECT_EQ(event.EntryFlagB, -1);
    EXPECT_EQ(event.f43 + event.f44 + event.f45, 3);
    ASSERT_EQ(event.f14.items.size(), 1u);
    EXPECT_EQ(event.f14.lbound, 1);
    EXPECT_EQ(event.f14.items[0].f1, QStringLiteral("a"));
    EXPECT_EQ(event.f14.items[0].f4, 5);
    EXPECT_TRUE(event.f19.isAllocated() && event.f19.items.empty());
    EXPECT_FALSE(event.f42.isAllocated());
    EXPECT_EQ(event.f48.data, (std::array<quint8, 4>{10, 11, 12, 13}));

    writeEventFile(path("copy.emi"), event);
    EXPECT_EQ(Testing::fileBytes(path("copy.emi")).toHex().toStdString(),
              HandMadeEvent.toHex().toStdString());
}

TEST_F(EventFile, WhatTheWriterWritesReadsBackAsTheSameRecord)
{
    const EventRecord event = Fixtures::sampleRecord<EventRecord>();
    writeEventFile(path("a.emi"), event);
    const EventRecord back = ReadEvent(path("a.emi"));
    EXPECT_EQ(back, event);
    writeEventFile(path("b.emi"), back);
    EXPECT_EQ(Testing::fileBytes(path("b.emi")), Testing::fileBytes(path("a.emi")));
}

TEST_F(EventFile, EveryTruncationGivesTheFieldsSoFarQuietly)
{
    const EventRecord whole = Fixtures::sampleRecord<EventRecord>();
    writeEventFile(path("whole.emi"), whole);
    Testing::expectEveryTruncation(
        Testing::fileBytes(path("whole.emi")), 13, whole, path("cut.emi"),
        [](const QString& file, bool quiet) { return ReadEvent(file, quiet); });
    EXPECT_TRUE(host.boxes.isEmpty());
}

TEST_F(EventFile, BadFilesGiveTheEmptyRecordAndTheirMessage)
{
    EventRecord sample = Fixtures::sampleRecord<EventRecord>();
    writeEventFile(path("good.emi"), sample);
    const QByteArray good = Testing::fileBytes(path("good.emi"));
    QByteArray otherCase = good;
    otherCase.replace(0, 9, "zux event");
    QByteArray oldVersion = good;
    oldVersion.replace(9, 4, hex("a69b443c")); // 0.012
    QByteArray damaged = good;
    // Field 14's element count made negative.
    const qsizetype f14 = good.indexOf(hex("0100 02000000 01000000"));
    ASSERT_GT(f14, 0);
    damaged.replace(f14 + 2, 4, hex("feffffff"));

    struct Case
    {
        const char* name;
        QString file;
        bool quiet;
        const char* message; // nullptr: no box
    };
    const Case cases[] = {
        {"empty name", QString(), false, nullptr},
        {"missing file", path("missing.emi"), false, nullptr},
        {"magic of another case", Testing::writeBytes(path("case.emi"), otherCase), false,
         "is not a valid Vantix Event file"},
        {"older version", Testing::writeBytes(path("old.emi"), oldVersion), false,
         "(File is v0.012, Vantix expects v0.013)"},
        {"quiet magic", path("case.emi"), true, nullptr},
        {"quiet version", path("old.emi"), true, nullptr},
        {"damaged count", Testing::writeBytes(path("bad.emi"), damaged), false,
         "FileOperations:ReadEvent  Error:Subscript out of range"},
    };
    for (const Case& c : cases) {
        host.boxes.clear();
        if (c.message)
            host.expectBox(MsgAnswer::Ok, QString::fromUtf8(c.message));
        EXPECT_EQ(ReadEvent(c.file, c.quiet), EventRecord()) << c.name;
        EXPECT_EQ(host.boxes.size(), c.message ? 1 : 0) << c.name;
        if (c.message && !host.boxes.isEmpty() && !QByteArrayView(c.message).contains("Error:")) {
            EXPECT_EQ(host.boxes[0].icon, Platform::MsgIcon::Exclamation);
            EXPECT_EQ(host.boxes[0].title, QStringLiteral("Warning!"));
            EXPECT_TRUE(host.boxes[0].text.contains(c.file));
        }
    }
}
