// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The international database "International.bin" in the shared folder: the
// countries, their dialling codes and the area codes of their places. One
// installation keeps one database, beside the share file.
//
//   Pos.  Type                         Width        Meaning
//   1     17 bytes                     17           "Zux International"
//   18    Float32                      4            version 0.001
//   22    InternationalRecord:
//   22      Bytes(10)                  10           f1, carried (zeros when we write)
//   32      Bytes(6)                   6            f2: bytes 32 to 35 carried; the
//                                                   Int16 at 36 is the width of the
//                                                   country code column
//                                                   (codeColumnWidth)
//   38      DynArray<CountryRecord>    2 (+ 8 + n)  f3: the countries; a country's
//                                                   reference number is its index
//                                                   (the lower bound counts)
//   ...     100 x Int16                200          f4, carried, no array header
//   ...     200 x Int16                400          f5, carried, no array header
//
// A file that ends before its last field, or holds a count that no file can
// hold, is no database: it is refused as a wrong magic is.

#include "PackedRecord.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace DataFiles {

// One area code of a country and the place it serves.
//
//   No.  Type  Width  Member  Meaning
//   1    Text  2 + n  code    the code as dialled inside the country, trunk
//                             prefix included ("0113"); only its digits count
//   2    Text  2 + n  place   the town, or the region of a shorter code that
//                             longer ones divide ("028" Northern Ireland)
struct AreaCodeRecord
{
    static constexpr const char* RecordName = "AreaCodeRecord";

    QString code, place;

    template <class Self, class V>
    static void fields(Self& r, V&& v)
    {
        v(1, nullptr, r.code);
        v(2, nullptr, r.place);
    }
    bool operator==(const AreaCodeRecord&) const = default;
};

// One country.
//
//   No.  Type                     Width        Member        Meaning
//   1    Text                     2 + n        name          as the country lists show it
//   2    Text                     2 + n        diallingCode  the international dialling code
//                                                            without "+" ("44", "1 242");
//                                                            only its digits count
//   3    Text                     2 + n        trunkPrefix   dialled before an area code
//                                                            inside the country ("0"), or
//                                                            empty when there is none
//   4    DynArray<AreaCodeRecord> 2 (+ 8 + n)  areaCodes     in any order
struct CountryRecord
{
    static constexpr const char* RecordName = "CountryRecord";

    QString name, diallingCode, trunkPrefix;
    DynArray<AreaCodeRecord> areaCodes;

    template <class Self, class V>
    static void fields(Self& r, V&& v)
    {
        v(1, nullptr, r.name);
        v(2, nullptr, r.diallingCode);
        v(3, nullptr, r.trunkPrefix);
        v(4, nullptr, r.areaCodes);
    }
    bool operator==(const CountryRecord&) const = default;
};

// The whole database after its header.
struct InternationalRecord
{
    static constexpr const char* RecordName = "InternationalRecord";
    static constexpr std::size_t CodeColumnWidthOffset = 4;

    Bytes<10> f1;
    Bytes<6> f2;
    DynArray<CountryRecord> countries;
    std::array<qint16, 100> f4{};
    std::array<qint16, 200> f5{};

    qint16 codeColumnWidth() const { return f2.int16At(CodeColumnWidthOffset); }
    void setCodeColumnWidth(qint16 width) { f2.setInt16At(CodeColumnWidthOffset, width); }

    // The country of a reference number, or nullptr when none has it.
    const CountryRecord* country(qint64 reference) const;
    // The country of a name (case ignored, blanks around it too), the first
    // of that name; nullptr when there is none.
    const CountryRecord* country(const QString& name) const;

    template <class Self, class V>
    static void fields(Self& r, V&& v)
    {
        v(1, nullptr, r.f1);
        v(2, nullptr, r.f2);
        v(3, nullptr, r.countries);
        v(4, nullptr, r.f4);
        v(5, nullptr, r.f5);
    }
    bool operator==(const InternationalRecord&) const = default;
};

struct FileKind;
extern const FileKind InternationalFileKind;

// What an area-code look-up found.
struct AreaCodeMatch
{
    // 0: `place` is the place of the number. NotExactLocale: the number is
    // too short to tell which of several longer codes it belongs to; `place`
    // is that of the longest code it does begin with (a region), or empty.
    // UnknownAreaCode: no code of the country fits the number at all.
    int message = 0;
    QString place;
    QString code; // as the database writes it; empty when no code matched
};
constexpr int NotExactLocale = 746;  // "Don't know the exact locale"
constexpr int UnknownAreaCode = 747; // "Don't know this area code"

// The place of a telephone number (or of an area code alone) in a country:
// the place of the longest area code that the number begins with. Blanks,
// hyphens, brackets and other characters that are not digits are passed
// over. A number written internationally ("+44 113 ...", "0044 113 ...",
// "+44 (0)113 ...") is brought to the country's own form first; one of
// another country's dialling code fits none of this country's area codes.
AreaCodeMatch lookUpAreaCode(const CountryRecord& country, const QString& number);

// The rows of the country-codes list, sorted: "+", the dialling code, a tab
// and the name ("+44\tUnited Kingdom"; a country without a dialling code
// shows none), each with its country's reference number.
struct CountryCodeRow
{
    QString text;
    qint64 reference = 0;
};
std::vector<CountryCodeRow> countryCodeRows(const InternationalRecord& record);

} // namespace DataFiles

namespace FileOperations {

// The database in a file, or nothing after a message (unless `quiet`): 719
// with the file's path for a file that is missing, that is no database or
// that is cut short or damaged, 701 for another version. Throws
// Platform::RunTimeError when the file cannot be read.
std::optional<DataFiles::InternationalRecord> readInternationalFile(const QString& path,
                                                                    bool quiet = false);

// Writes a database (header and record) atomically. Throws
// Platform::RunTimeError.
void writeInternationalFile(const QString& path, const DataFiles::InternationalRecord& record);

} // namespace FileOperations
