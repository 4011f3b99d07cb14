// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The profile file "Profile.pro" of a contact or company folder: names,
// addresses, contact points and user-defined fields.
//
//   Pos.  Type       Meaning
//   1     11 bytes   "Zux Profile"
//   12    Float32    version 0.008
//   16    ProfileRecord

#include "PackedRecord.h"

#include <QString>

#include <array>

namespace DataFiles {

// One postal address.
//
//   No.  Type      Width   Member        Meaning
//   1    Int16     2       inUse         true (-1) when the address is used
//   2    Text      2 + n   building      building or house name
//   3    Text      2 + n   road
//   4    Text      2 + n   district      district or locality
//   5    Text      2 + n   town          the town; the postcode index shows it
//   6    Text      2 + n   county
//   7    Text      2 + n   postcode      the Pcode index stores it
//   8    Text      2 + n   country
//   9    Text      2 + n   label         what the address is ("Head office")
//   10   Bytes(4)  4       f10           carried
//
// Texts 1 to 8 are fields 2 to 9: the town is the fourth text and the
// postcode the sixth.
struct ProfileAddress
{
    static constexpr const char* RecordName = "ProfileAddress";

    qint16 inUse = 0;
    QString building, road, district, town, county, postcode, country, label;
    Bytes<4> f10;

    template <class Self, class V>
    static void fields(Self& r, V&& v)
    {
        v(1, "inUse", r.inUse);
        v(2, "building", r.building);
        v(3, "road", r.road);
        v(4, "district", r.district);
        v(5, "town", r.town);
        v(6, "county", r.county);
        v(7, "postcode", r.postcode);
        v(8, "country", r.country);
        v(9, "label", r.label);
        v(10, nullptr, r.f10);
    }
    bool operator==(const ProfileAddress&) const = default;
};

// One telephone, fax or e-mail number.
//
//   No.  Type      Width   Member        Meaning
//   1    Bytes(4)  4       f1            the first two bytes are the in-use
//                                        flag (see inUse()); the rest carried
//   2    Text      2 + n   label         what the number is ("Mobile")
//   3    Text      2 + n   extension     extension or note
//   4    Text      2 + n   number        the number; the TelNum index stores it
//   5    Int16     2       kind          ContactKind: TelNum, FaxNum or EMailNum
struct ProfileContactPoint
{
    static constexpr const char* RecordName = "ProfileContactPoint";

    enum ContactKind : qint16
    {
        NoKind = 0,
        TelNum = 1,
        FaxNum = 2,
        EMailNum = 3
    };

    Bytes<4> f1;
    QString label, extension, number;
    qint16 kind = NoKind;

    bool inUse() const { return f1.int16At(0) != 0; }
    void setInUse(bool used) { f1.setInt16At(0, used ? -1 : 0); }

    template <class Self, class V>
    static void fields(Self& r, V&& v)
    {
        v(1, nullptr, r.f1);
        v(2, "label", r.label);
        v(3, "extension", r.extension);
        v(4, "number", r.number);
        v(5, "kind", r.kind);
    }
    bool operator==(const ProfileContactPoint&) const = default;
};

// An element of the profile's field 24; carried.
//
//   No.  Type       Width
//   1    Int16      2
//   2    Bytes(6)   6
//   3    Text       2 + n
//   4    Bytes(14)  14
//   5-7  three Text 2 + n each
//   8    Bytes(36)  36
struct ProfileItem
{
    static constexpr const char* RecordName = "ProfileItem";

    qint16 f1 = 0;
    Bytes<6> f2;
    QString f3;
    Bytes<14> f4;
    QString f5, f6, f7;
    Bytes<36> f8;

    template <class Self, class V>
    static void fields(Self& r, V&& v)
    {
        v(1, nullptr, r.f1);
        v(2, nullptr, r.f2);
        v(3, nullptr, r.f3);
        v(4, nullptr, r.f4);
        v(5, nullptr, r.f5);
        v(6, nullptr, r.f6);
        v(7, nullptr, r.f7);
        v(8, nullptr, r.f8);
    }
    bool operator==(const ProfileItem&) const = default;
};

// A contact's or company's details. The suite's field names map onto the
// numbered fields as the Member column says; `vantix dump` shows the fields
// that have a member name under it (also those of the addresses and contact
// points), the others by number.
//
//   No.    Type                      Width        Member       Meaning
//   1      Int16                     2            kind         the folder kind (as FolderID)
//   2      Text                      2 + n        CoName       company name
//   3      Int16                     2            f3
//   4      Text                      2 + n        FullName     contact's full name
//   5      Text                      2 + n        Title
//   6      Text                      2 + n        Position
//   7      Text                      2 + n        Dear         salutation
//   8      Text                      2 + n        Notes
//   9      Bytes(16)                 16           f9
//   10     Text                      2 + n        CoComments   company comments
//   11-12  Text, Text                2 + n each   f11, f12
//   13     Text                      2 + n        displayName  what the index shows
//   14     10 x ProfileAddress       fixed array  addresses    no array header
//   15     50 x ProfileContactPoint  fixed array  contacts     TelNum, FaxNum and
//                                                              EMailNum, no header
//   16     Int16                     2            f16
//   17     Bytes(8)                  8            f17
//   18-22  five Text                 2 + n each   UD1 to UD5   user-defined; UD1 is
//                                                              the UD1 index's value
//   23     Int16                     2            f23
//   24     DynArray<ProfileItem>     2 (+ 8 + n)  f24
//   25-29  five Text                 2 + n each   CoUD1-CoUD5  company user-defined
//   30     Bytes(10)                 10           f30          five Int16
//   31     Bytes(54)                 54           f31          five Int32, two Float64,
//                                                              two Int32, five Int16;
//                                                              the first Int16 (offset
//                                                              44) is the index flag
//   32     Bytes(12)                 12           f32          three Int32
//
// Empty addresses and contact points still take their full 10 and 50
// elements in the file.
struct ProfileRecord
{
    static constexpr const char* RecordName = "ProfileRecord";
    static constexpr std::size_t AddressCount = 10;
    static constexpr std::size_t ContactPointCount = 50;
    static constexpr std::size_t IndexFlagOffset = 5 * 4 + 2 * 8 + 2 * 4;

    qint16 kind = 0;
    QString CoName;
    qint16 f3 = 0;
    QString FullName, Title, Position, Dear, Notes;
    Bytes<16> f9;
    QString CoComments, f11, f12;
    QString displayName;
    std::array<ProfileAddress, AddressCount> addresses{};
    std::array<ProfileContactPoint, ContactPointCount> contacts{};
    qint16 f16 = 0;
    Bytes<8> f17;
    QString UD1, UD2, UD3, UD4, UD5;
    qint16 f23 = 0;
    DynArray<ProfileItem> f24;
    QString CoUD1, CoUD2, CoUD3, CoUD4, CoUD5;
    Bytes<10> f30;
    Bytes<54> f31;
    Bytes<12> f32;

    // The Pcode, TelNum and UD1 indexes take values from the profile only
    // while this is true.
    bool indexFlag() const { return f31.int16At(IndexFlagOffset) != 0; }
    void setIndexFlag(bool on) { f31.setInt16At(IndexFlagOffset, on ? -1 : 0); }

    // The number of the first contact point in use of a kind; empty if none.
    QString firstNumber(ProfileContactPoint::ContactKind kind) const;
    QString TelNum() const { return firstNumber(ProfileContactPoint::TelNum); }
    QString FaxNum() const { return firstNumber(ProfileContactPoint::FaxNum); }
    QString EMailNum() const { return firstNumber(ProfileContactPoint::EMailNum); }

    template <class Self, class V>
    static void fields(Self& r, V&& v)
    {
        v(1, "kind", r.kind);
        v(2, "CoName", r.CoName);
        v(3, nullptr, r.f3);
        v(4, "FullName", r.FullName);
        v(5, "Title", r.Title);
        v(6, "Position", r.Position);
        v(7, "Dear", r.Dear);
        v(8, "Notes", r.Notes);
        v(9, nullptr, r.f9);
        v(10, "CoComments", r.CoComments);
        v(11, nullptr, r.f11);
        v(12, nullptr, r.f12);
        v(13, "displayName", r.displayName);
        v(14, "addresses", r.addresses);
        v(15, "contacts", r.contacts);
        v(16, nullptr, r.f16);
        v(17, nullptr, r.f17);
        v(18, "UD1", r.UD1);
        v(19, "UD2", r.UD2);
        v(20, "UD3", r.UD3);
        v(21, "UD4", r.UD4);
        v(22, "UD5", r.UD5);
        v(23, nullptr, r.f23);
        v(24, nullptr, r.f24);
        v(25, "CoUD1", r.CoUD1);
        v(26, "CoUD2", r.CoUD2);
        v(27, "CoUD3", r.CoUD3);
        v(28, "CoUD4", r.CoUD4);
        v(29, "CoUD5", r.CoUD5);
        v(30, nullptr, r.f30);
        v(31, nullptr, r.f31);
        v(32, nullptr, r.f32);
    }
    bool operator==(const ProfileRecord&) const = default;
};

struct FileKind;
extern const FileKind ProfileFileKind;

} // namespace DataFiles

namespace Routines_ProfileFile {

// The profile of a file, or the empty record: an empty name or a missing file
// quietly; a wrong magic (message 702) or version (701) after the message
// unless `Quiet`; a fault through the error handler. A file that ends early
// gives the fields read so far.
DataFiles::ProfileRecord ReadProfile(const QString& FileName, bool Quiet = false);

// Writes a profile (header and record) atomically. Throws
// Platform::RunTimeError.
void writeProfile(const QString& path, const DataFiles::ProfileRecord& record);

} // namespace Routines_ProfileFile
