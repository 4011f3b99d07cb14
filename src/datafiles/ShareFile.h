// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The share file "Shared.bin" in the shared folder: the settings that all
// users of one installation share.
//
//   Pos.  Type        Meaning
//   1     10 bytes    "Zux Shared"
//   11    Float32     version 0.011
//   15    4 x Int32   the directory: positions (1-based) of the list record,
//                     record A, record B, and a fourth one that we carry
//   31    ...         the records, each at the position its entry names
//
// The share writer puts record A at 31, then record B, then the list record,
// and the fourth entry as given.

#include "PackedRecord.h"
#include "platform/File.h"

#include <QString>

#include <array>
#include <vector>

namespace DataFiles {

// Record A: twelve texts (f1 to f12). ReadShare gives out fields 6, 7, 8
// (items 1-3), 1, 2, 3 (items 4-6; the finder's label lists are items 4 and
// 6), 5 (item 7), 4 (item 16), 9 (item 36), 11, 12 (items 39, 40); field 10
// is carried.
struct ShareRecordA
{
    static constexpr const char* RecordName = "ShareRecordA";

    std::array<QString, 12> texts;

    template <class Self, class V>
    static void fields(Self& r, V&& v)
    {
        for (int i = 0; i < 12; ++i)
            v(i + 1, nullptr, r.texts[std::size_t(i)]);
    }
    bool operator==(const ShareRecordA&) const = default;
};

// Record B: fourteen texts (f1 to f14). ReadShare gives out fields 1 to 5
// (items 8-12), 8 (item 13), 6, 7 (items 14, 15), 9, 10 (items 17, 18), 11,
// 12 (items 37, 38), 13, 14 (items 41, 42).
struct ShareRecordB
{
    static constexpr const char* RecordName = "ShareRecordB";

    std::array<QString, 14> texts;

    template <class Self, class V>
    static void fields(Self& r, V&& v)
    {
        for (int i = 0; i < 14; ++i)
            v(i + 1, nullptr, r.texts[std::size_t(i)]);
    }
    bool operator==(const ShareRecordB&) const = default;
};

// One user of the installation: an element of the list record, exactly 160
// bytes.
//
//   No.  Type           Width  Member    Meaning
//   1    FixedText(60)  60     name      the user's full name
//   2    FixedText(8)   8      initials
//   3    FixedText(32)  32     login     the login name
//   4    FixedText(48)  48     email     the user's e-mail address
//   5    Int32          4      number    the user's number in the installation
//   6    Int16          2      flags     UserFlag bits
//   7    Bytes(6)       6      f7        carried
//   total                160
struct ShareUser
{
    static constexpr const char* RecordName = "ShareUser";

    enum UserFlag : qint16
    {
        Administrator = 1, // may change the installation's settings
        IndexManager = 2,  // may rebuild the contact index
        Disabled = 4       // may no longer sign in
    };

    FixedText<60> name;
    FixedText<8> initials;
    FixedText<32> login;
    FixedText<48> email;
    qint32 number = 0;
    qint16 flags = 0;
    Bytes<6> f7;

    template <class Self, class V>
    static void fields(Self& r, V&& v)
    {
        v(1, nullptr, r.name);
        v(2, nullptr, r.initials);
        v(3, nullptr, r.login);
        v(4, nullptr, r.email);
        v(5, nullptr, r.number);
        v(6, nullptr, r.flags);
        v(7, nullptr, r.f7);
    }
    bool operator==(const ShareUser&) const = default;
};

// The list record: the users.
struct ShareUserList
{
    static constexpr const char* RecordName = "ShareUserList";

    DynArray<ShareUser> users;

    template <class Self, class V>
    static void fields(Self& r, V&& v)
    {
        v(1, nullptr, r.users);
    }
    bool operator==(const ShareUserList&) const = default;
};

// Everything a share file holds, for the writer and the dump.
struct ShareFileContents
{
    ShareRecordA a;
    ShareRecordB b;
    ShareUserList list;
    // The fourth directory entry, which we carry.
    qint32 fourth = 0;
};

struct FileKind;
extern const FileKind ShareFileKind;

} // namespace DataFiles

namespace Routines_ShareFile {

// The share file's full path: the one that the start-up check settled in the
// shared folder (Global::checkedPaths), unless tests or commands set one.
QString shareFilePath();
void setShareFilePath(const QString& path);

// The users that item 33 copied from the share file, for the whole process.
const std::vector<DataFiles::ShareUser>& users();
void setUsers(std::vector<DataFiles::ShareUser> list);

// Opens the share file in `mode` (see Platform::File) and checks its header:
// false when it is missing or cannot be opened; message 730 for a wrong magic
// and 701 for a wrong version, the file closed before the message, and
// false. Otherwise `file` is open and `position` is just after the version.
bool OpenShare(int mode, Platform::File& file, qint64& position);

// Reads item `Item` (1 to 42) into `Result`; item 33 instead fills the user
// list. Items 19 to 32, 34, 35 (and numbers outside 1 to 42) read nothing and
// leave `Result` as it was. False when OpenShare fails, and when the record
// of the item lies outside the file (a damaged directory): then the error
// handler reports "Bad record number" and neither `Result` nor the user list
// changes.
bool ReadShare(qint16 Item, QString& Result);

// Writes a share file atomically. Throws Platform::RunTimeError.
void writeShareFile(const QString& path, const DataFiles::ShareFileContents& contents);

} // namespace Routines_ShareFile
