// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Event files: one activity recorded against a contact folder (a phone call,
// a letter, an attachment, an e-mail; in or out), one file each.
//
//   Pos.  Type      Meaning
//   1     9 bytes   "Zux Event"
//   10    Float32   version 0.013
//   14    EventRecord
//
// The fields whose meaning we do not use are carried, never interpreted, and
// written back in their widths.

#include "PackedRecord.h"

#include <QString>

namespace DataFiles {

// The element of EventRecord's field 14.
//
//   No.  Type      Width
//   1    Text      2 + n
//   2    Text      2 + n
//   3    Text      2 + n
//   4    Int16     2
//   5    Text      2 + n
//   6    Int16     2
//   7    Bytes(4)  4
struct EventItemRecord
{
    static constexpr const char* RecordName = "EventItemRecord";

    QString f1, f2, f3;
    qint16 f4 = 0;
    QString f5;
    qint16 f6 = 0;
    Bytes<4> f7;

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
    }
    bool operator==(const EventItemRecord&) const = default;
};

// One event.
//
//   No.    Type                     Width       Meaning
//   1      Int16                    2
//   2-3    Text, Text               2 + n each
//   4      Int16                    2
//   5      Bytes(24)                24
//   6      Text                     2 + n       Body: the message as RTF
//   7      Text                     2 + n
//   8      Text                     2 + n       Subject; a form submission carries
//                                               its definition's name here
//   9      Bytes(10)                10
//   10-12  three Text               2 + n each
//   13     Bytes(8)                 8
//   14     DynArray<EventItemRecord> 2 (+ 8 + elements)
//   15-16  Text, Text               2 + n each
//   17-18  Int16, Int16             2 each
//   19     DynArray<Text>           2 (+ 8 + elements)
//   20-24  five Text                2 + n each
//   25-26  Int16, Int16             2 each
//   27     Int16                    2           EntryFlagA: the scan uses the e-mail
//                                               only when it is non-zero
//   28-29  Int16, Int16             2 each
//   30-34  five Bytes(4)            4 each
//   35-36  Bytes(8), Bytes(8)       8 each
//   37-38  Bytes(4), Bytes(4)       4 each
//   39     Int16                    2           EntryFlagB: as EntryFlagA
//   40-41  Int16, Int16             2 each
//   42     DynArray<Text>           2 (+ 8 + elements)
//   43-45  three Int16              2 each
//   46-48  three Bytes(4)           4 each
struct EventRecord
{
    static constexpr const char* RecordName = "EventRecord";

    qint16 f1 = 0;
    QString f2, f3;
    qint16 f4 = 0;
    Bytes<24> f5;
    QString Body;
    QString f7;
    QString Subject;
    Bytes<10> f9;
    QString f10, f11, f12;
    Bytes<8> f13;
    DynArray<EventItemRecord> f14;
    QString f15, f16;
    qint16 f17 = 0, f18 = 0;
    DynArray<QString> f19;
    QString f20, f21, f22, f23, f24;
    qint16 f25 = 0, f26 = 0;
    qint16 EntryFlagA = 0;
    qint16 f28 = 0, f29 = 0;
    Bytes<4> f30, f31, f32, f33, f34;
    Bytes<8> f35, f36;
    Bytes<4> f37, f38;
    qint16 EntryFlagB = 0;
    qint16 f40 = 0, f41 = 0;
    DynArray<QString> f42;
    qint16 f43 = 0, f44 = 0, f45 = 0;
    Bytes<4> f46, f47, f48;

    template <class Self, class V>
    static void fields(Self& r, V&& v)
    {
        v(1, nullptr, r.f1);
        v(2, nullptr, r.f2);
        v(3, nullptr, r.f3);
        v(4, nullptr, r.f4);
        v(5, nullptr, r.f5);
        v(6, "Body", r.Body);
        v(7, nullptr, r.f7);
        v(8, "Subject", r.Subject);
        v(9, nullptr, r.f9);
        v(10, nullptr, r.f10);
        v(11, nullptr, r.f11);
        v(12, nullptr, r.f12);
        v(13, nullptr, r.f13);
        v(14, nullptr, r.f14);
        v(15, nullptr, r.f15);
        v(16, nullptr, r.f16);
        v(17, nullptr, r.f17);
        v(18, nullptr, r.f18);
        v(19, nullptr, r.f19);
        v(20, nullptr, r.f20);
        v(21, nullptr, r.f21);
        v(22, nullptr, r.f22);
        v(23, nullptr, r.f23);
        v(24, nullptr, r.f24);
        v(25, nullptr, r.f25);
        v(26, nullptr, r.f26);
        v(27, "EntryFlagA", r.EntryFlagA);
        v(28, nullptr, r.f28);
        v(29, nullptr, r.f29);
        v(30, nullptr, r.f30);
        v(31, nullptr, r.f31);
        v(32, nullptr, r.f32);
        v(33, nullptr, r.f33);
        v(34, nullptr, r.f34);
        v(35, nullptr, r.f35);
        v(36, nullptr, r.f36);
        v(37, nullptr, r.f37);
        v(38, nullptr, r.f38);
        v(39, "EntryFlagB", r.EntryFlagB);
        v(40, nullptr, r.f40);
        v(41, nullptr, r.f41);
        v(42, nullptr, r.f42);
        v(43, nullptr, r.f43);
        v(44, nullptr, r.f44);
        v(45, nullptr, r.f45);
        v(46, nullptr, r.f46);
        v(47, nullptr, r.f47);
        v(48, nullptr, r.f48);
    }
    bool operator==(const EventRecord&) const = default;
};

struct FileKind;
extern const FileKind EventFileKind;

} // namespace DataFiles

namespace FileOperations {

// The event of a file, or the empty record (all texts empty, numbers 0,
// arrays unallocated) when the file cannot be used: an empty name, a missing
// file or one that cannot be opened give it without a message; a wrong
// magic (message 705) or version (701) after the message unless `Quiet`;
// damage through the error handler. A file that ends early gives the fields
// read so far.
DataFiles::EventRecord ReadEvent(const QString& FileName, bool Quiet = false);

// Writes an event file: header and record, every field in its width.
// Throws Platform::RunTimeError.
void writeEventFile(const QString& path, const DataFiles::EventRecord& record);

} // namespace FileOperations
