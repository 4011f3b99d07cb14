// SPDX-License-Identifier: GPL-3.0-or-later
#include "datafiles/ProfileFile.h"

#include "DataFileTesting.h"

using namespace DataFiles;
using Platform::MsgAnswer;
using Routines_ProfileFile::ReadProfile;
using Routines_ProfileFile::writeProfile;
using Testing::hex;

namespace {

QByteArray zeros(int count)
{
    return QByteArray(count, '\0');
}

// A company profile written out field by field: one address, one telephone
// number, the UD1 value and the index flag; every other address and contact
// point empty but present.
QByteArray handMadeProfile()
{
    QByteArray b = hex("5a7578205072 6f66696c65 6f12033c"); // "Zux Profile", 0.008
    b += hex("0300");                                       // 1 kind 3
    b += hex("0400 41636d65");                              // 2 "Acme"
    b += hex("0000");                                       // 3
    b += hex("0000 0000 0000 0000 0000");                   // 4-8
    b += zeros(16);                                         // 9
    b += hex("0000 0000 0000");                             // 10-12
    b += hex("0800 41636d65204c7464");                      // 13 "Acme Ltd"
    // 14: the first address in use, with its town (4th text) and postcode (6th)
    b += hex("ffff 0000 0000 0000 0500 4c65656473 0000 0700 4c533120314141 0000 0000 00000000");
    b += zeros(9 * 22);
    // 15: the first contact point in use, a telephone number (3rd text)
    b += hex("ffff0000 0000 0000 0400 30313133 0100");
    b += zeros(49 * 12);
    b += hex("0000") + zeros(8);                 // 16, 17
    b += hex("0300 564950 0000 0000 0000 0000"); // 18 UD1 "VIP", 19-22
    b += hex("0000 0000");                       // 23, 24 unallocated
    b += hex("0000 0000 0000 0000 0000");        // 25-29
    b += zeros(10);                              // 30
    b += zeros(44) + hex("ffff") + zeros(8);     // 31: the index flag
    b += zeros(12);                              // 32
    return b;
}

using ProfileFile = Testing::DataFileTest;

} // namespace

TEST_F(ProfileFile, ReadsTheHandMadeFileAndWritesItBackByteForByte)
{
    const QByteArray bytes = handMadeProfile();
    const ProfileRecord profile = ReadProfile(Testing::writeBytes(path("Profile.pro"), bytes));
    EXPECT_EQ(profile.kind, 3);
    EXPECT_EQ(profile.CoName, QStringLiteral("Acme"));
    EXPECT_EQ(profile.displayName, QStringLiteral("Acme Ltd"));
    EXPECT_EQ(profile.addresses[0].inUse, -1);
    EXPECT_EQ(profile.addresses[0].town, QStringLiteral("Leeds"));
    EXPECT_EQ(profile.addresses[0].postcode, QStringLiteral("LS1 1AA"));
    EXPECT_EQ(profile.addresses[1], ProfileAddress());
    EXPECT_TRUE(profile.contacts[0].inUse());
    EXPECT_EQ(profile.TelNum(), QStringLiteral("0113"));
    EXPECT_TRUE(profile.FaxNum().isEmpty());
    EXPECT_EQ(profile.UD1, QStringLiteral("VIP"));
    EXPECT_FALSE(profile.f24.isAllocated());
    EXPECT_TRUE(profile.indexFlag());

    writeProfile(path("copy.pro"), profile);
    EXPECT_EQ(Testing::fileBytes(path("copy.pro")).toHex().toStdString(),
              bytes.toHex().toStdString());
}

TEST_F(ProfileFile, WhatTheWriterWritesReadsBackAsTheSameRecord)
{
    ProfileRecord profile = Fixtures::sampleRecord<ProfileRecord>();
    profile.setIndexFlag(false);
    writeProfile(path("a.pro"), profile);
    const ProfileRecord back = ReadProfile(path("a.pro"));
    EXPECT_EQ(back, profile);
    EXPECT_FALSE(back.indexFlag());
    writeProfile(path("b.pro"), back);
    EXPECT_EQ(Testing::fileBytes(path("b.pro")), Testing::fileBytes(path("a.pro")));
}

TEST_F(ProfileFile, EveryTruncationGivesTheFieldsSoFarQuietly)
{
    // Two addresses and two contact points filled keep the file short.
    ProfileRecord whole = Fixtures::sampleRecord<ProfileRecord>();
    std::fill(whole.addresses.begin() + 2, whole.addresses.end(), ProfileAddress());
    std::fill(whole.contacts.begin() + 2, whole.contacts.end(), ProfileContactPoint());
    writeProfile(path("whole.pro"), whole);
    Testing::expectEveryTruncation(
        Testing::fileBytes(path("whole.pro")), 15, whole, path("cut.pro"),
        [](const QString& file, bool quiet) { return ReadProfile(file, quiet); });
    EXPECT_TRUE(host.boxes.isEmpty());
}

TEST_F(ProfileFile, WrongMagicAndVersionAreRefusedWithTheirMessages)
{
    QByteArray bytes = handMadeProfile();
    const QString older =
        Testing::writeBytes(path("older.pro"), bytes.replace(11, 4, hex("4260e53b")));
    host.expectBox(MsgAnswer::Ok, QStringLiteral("(File is v0.007, Vantix expects v0.008)"));
    EXPECT_EQ(ReadProfile(older), ProfileRecord());

    const QString foreign = Testing::writeBytes(path("foreign.pro"), "Zux Profilx");
    host.expectBox(MsgAnswer::Ok, QStringLiteral("is not a valid Vantix Profile file"));
    EXPECT_EQ(ReadProfile(foreign), ProfileRecord());
    EXPECT_EQ(ReadProfile(foreign, true), ProfileRecord());
    EXPECT_EQ(ReadProfile(path("missing.pro")), ProfileRecord());
    EXPECT_EQ(host.boxes.size(), 2);
}
