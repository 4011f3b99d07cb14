// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The postcode address files of the rapid-addressing folder ("UKPAF.BIN",
// "USPAF.BIN"): the postal addresses of a country by postcode, their words
// kept once in a word dictionary.
//
//   Pos.   Type             Meaning
//   1      7 bytes          "Zux RAD"
//   8      Float32          version 0.003
//   12     PostcodeFileHeader, 208 bytes (below)
//   220    32 x FixedText(30)
//                           the users allowed to use the file (blank: none)
//   1180   256 x Int32      the word-block table: entry b is the position of
//                           the word record of block b, -1 when unused
//   2204   ...              word records, tables and address records, at the
//                           positions that the header and tables give
//
// Word record (block b holds the words numbered 128 b to 128 b + 127):
//
//   Int16   the number of words in the block, at most 128
//   Text    UInt16 byte count, then the words one after another, each
//           followed by the byte 0
//
// Table: 20 x Int32 (80 bytes). Entry c (1 to 10) is for postcode cell c:
// the position of the table of the next level, or at the fourth level the
// first address record of the chain of the postcodes with these four cells;
// -1 when no postcode has them. Entries 11 to 20 are unused and hold -1.
// The root table, at the header's `rootTable`, is for cell 1.
//
// Address record, 1,032 bytes:
//
//   Pos.  Type            Meaning
//   1     Int32           the next record of the chain, -1 at its end
//   5     Int32           how many records of the chain follow this one
//   9     FixedText(1024) address entries, one after another; the first byte
//                         that is not 2 where an entry would begin ends them
//                         (the rest of the text is blanks)
//
// The writer puts a chain's records one after another, with its entries in
// the order of their keys (byte by byte), so that a reader can find the
// record that holds a key by halving the chain. A `next` always lies after
// its own record. An entry never spans two records.
//
// Address entry:
//
//   byte 2            starts the entry
//   1 byte            the key character of the postcode (postcodeKey)
//   n bytes           the postcode from its fifth character on
//   byte 1            ends the key
//   7 lines           premises, building, road, district, town, county,
//                     company; each an encoded line ended by the byte 1
//
// Encoded line, byte b by byte: 1 ends the line; 3 stands for "PO Box ";
// b of 128 or more and the next byte n are the word of the dictionary
// numbered ((b AND 112) / 16) x 4096 + (b AND 15) x 256 + n; any other byte
// is its own character (Windows-1252). A character of 128 or more is only
// ever stored as part of a dictionary word.
//
// The address text that a look-up gives is seven items joined with "|":
// 0 premises and building joined with ", " (either alone when the other is
// empty), 1 road, 2 district, 3 town, 4 county, 5 the postcode, 6 the
// company (empty for a private address).

#include "PackedRecord.h"
#include "platform/File.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace DataFiles {

// The file header record, 208 bytes.
//
//   No.  Type           Width  Member                 Meaning
//   1    FixedText(50)  50     title                  what the file holds
//   2    FixedText(50)  50     source                 where the addresses came from
//   3    FixedText(50)  50     note                   free text of the maker
//   4    Int16          2      requiresAuthorisation  true (-1): only the users
//                                                     listed may use the file
//   5    Int16          2      wordBlocks             word blocks in use
//   6    Int32          4      rootTable              position of the root table
//   7    Int32          4      words                  words in the dictionary
//   8    Int32          4      addresses              address entries
//   9    Int32          4      postcodes              different postcodes
//   10   Int32          4      f10                    carried (0)
//   11   FixedText(10)  10     f11                    carried, never read
//   12   FixedText(20)  20     edition                when or how it was made
//   13   Bytes(4)       4      f13                    carried
struct PostcodeFileHeader
{
    static constexpr const char* RecordName = "PostcodeFileHeader";

    FixedText<50> title, source, note;
    qint16 requiresAuthorisation = 0;
    qint16 wordBlocks = 0;
    qint32 rootTable = -1;
    qint32 words = 0;
    qint32 addresses = 0;
    qint32 postcodes = 0;
    qint32 f10 = 0;
    FixedText<10> f11;
    FixedText<20> edition;
    Bytes<4> f13;

    template <class Self, class V>
    static void fields(Self& r, V&& v)
    {
        v(1, "title", r.title);
        v(2, "source", r.source);
        v(3, "note", r.note);
        v(4, "requiresAuthorisation", r.requiresAuthorisation);
        v(5, "wordBlocks", r.wordBlocks);
        v(6, "rootTable", r.rootTable);
        v(7, "words", r.words);
        v(8, "addresses", r.addresses);
        v(9, "postcodes", r.postcodes);
        v(10, nullptr, r.f10);
        v(11, nullptr, r.f11);
        v(12, "edition", r.edition);
        v(13, nullptr, r.f13);
    }
    bool operator==(const PostcodeFileHeader&) const = default;
};

// The 32 authorised users.
struct PostcodeFileUsers
{
    static constexpr const char* RecordName = "PostcodeFileUsers";

    std::array<FixedText<30>, 32> names;

    template <class Self, class V>
    static void fields(Self& r, V&& v)
    {
        v(1, "names", r.names);
    }
    bool operator==(const PostcodeFileUsers&) const = default;
};

struct FileKind;
extern const FileKind PostcodeFileKind;

namespace Postcode {
constexpr qint64 HeaderPosition = 12;
constexpr qint64 UsersPosition = 220;
constexpr qint64 BlockTablePosition = 1180;
// Where word records, tables and address records may begin.
constexpr qint64 ContentsPosition = 2204;
constexpr int BlockCount = 256;
constexpr int WordsPerBlock = 128;
constexpr int MaxWords = BlockCount * WordsPerBlock;
constexpr int TableEntries = 20;
constexpr qint64 TableSize = TableEntries * 4;
constexpr qint64 EntriesSize = 1024;
constexpr qint64 RecordSize = 8 + EntriesSize;
constexpr int Levels = 4;
constexpr int UserCount = 32;
constexpr char EndsLine = 1;
constexpr char StartsEntry = 2;
constexpr char PoBoxMark = 3;
constexpr int StoredLines = 7;
} // namespace Postcode

} // namespace DataFiles

namespace Routines_RADs {

// A postcode as the file holds it, from what a user typed: upper case,
// blanks trimmed and runs of blanks made one, and one blank before the
// inward code (the last three characters: a digit and two letters) when it
// has none. "ls10ng" gives "LS1 0NG".
QString normalisePostcode(const QString& postcode);

// The four cells (groups 1 to 10) of the postcode's first four characters,
// padded with L; each character compared exactly, one of no group counting
// as L.
std::array<qint16, 4> postcodeCells(const QString& postcode);
// The key: one character for the places of the first four characters in
// their groups, then the postcode from its fifth character on; as the
// file's bytes.
QByteArray postcodeKey(const QString& postcode);

// The readable text of a stored line, up to its end (byte 1) or the end of
// `line`. `word` gives the bytes of a dictionary word, or nothing when the
// number is not in the dictionary: then the line is damaged, `damaged` is
// set and the word left out.
using WordSource = std::function<std::optional<QByteArray>(int number)>;
QString decodeAddressLine(QByteArrayView line, const WordSource& word, bool* damaged = nullptr);

// The name the authorised users are compared with: the login name of the
// process, unless tests set another (an empty text restores it).
QString currentUserName();
void setCurrentUserName(const QString& name);

// What a look-up found.
struct PostcodeMatches
{
    // The address texts (see the layout above), in the file's order.
    QStringList addresses;
    // The first address; string 912 "No matches found." when there is none.
    QString text;
    // Why the file could not be read to the end of the look-up (a damaged
    // position, a chain that loops, a word outside the dictionary, a file
    // cut short); then there are no addresses.
    QString damage;
    // LookupPostcode: false when the file could not be read whole for the
    // look-up (missing, unreadable, refused when opened, damaged), so that
    // finding nothing says nothing of the postcode. `problem` then says why
    // (946 or 948), unless the user has been told already (a file refused
    // with message 784, 701 or 750, or an unexpected fault reported).
    bool readWhole = true;
    QString problem;
    qsizetype matches() const { return addresses.size(); }
};

// One postcode address file, open for look-ups. Reads go to the file at
// their positions as they are needed; a few recently read word blocks are
// kept.
class PostcodeFile
{
public:
    // Opens the file at `path` with the checks the suite makes: a wrong magic
    // gives message 784 and a wrong version 701 (exclamation icon, "Warning!",
    // naming the file `shownName`); when the file requires authorisation and
    // the current user is none of its users (blanks trimmed), message 750
    // with the information icon and "Please confirm". Nothing after any of
    // them; `quiet` keeps the messages back. Throws RunTimeError when the file
    // cannot be opened or read.
    static std::optional<PostcodeFile> open(const QString& path, const QString& shownName,
                                            bool quiet = false);

    const DataFiles::PostcodeFileHeader& header() const { return m_header; }
    QStringList users() const;
    qint64 size() const { return m_size; }

    // The addresses of `postcode` as given (callers normalise it first).
    PostcodeMatches lookup(const QString& postcode);
    // The bytes of word `number`, or nothing when the dictionary lacks it.
    std::optional<QByteArray> word(int number);

    // Block reads since the file was opened, for tests of the cache.
    int blockReads() const { return m_blockReads; }
    static constexpr int CachedBlocks = 32;

private:
    struct CachedBlock
    {
        int block = -1;
        quint64 lastUse = 0;
        QByteArray text;
        std::vector<quint16> starts; // offsets of the words in `text`
    };

    PostcodeFile() = default;
    const CachedBlock* block(int number);
    // The word in its cached block: valid until the next block is read.
    std::optional<QByteArrayView> wordView(int number);

    Platform::File m_file;
    qint64 m_size = 0;
    DataFiles::PostcodeFileHeader m_header;
    DataFiles::PostcodeFileUsers m_users;
    std::array<qint32, DataFiles::Postcode::BlockCount> m_blockTable{};
    std::vector<CachedBlock> m_cache;
    quint64 m_uses = 0;
    int m_blockReads = 0;
};

// The path of a postcode address file: `fileName` in the rapid-addressing
// folder (its case as found there), or `fileName` itself when it holds "/".
QString postcodeFilePath(const QString& fileName);

// The look-up of the new-contact panel: `postcode` put in the file's form
// and looked up in `fileName` of the rapid-addressing folder (see
// postcodeFilePath). The file is opened with its checks on first use and
// kept open for the look-ups that follow, until another file is asked for
// or CloseRADs. A file that cannot be read whole gives nothing found, with
// `readWhole` false and the reason in `problem`.
PostcodeMatches LookupPostcode(const QString& fileName, const QString& postcode);
// The word of the file kept open, opening "UKPAF.BIN" first when none is.
std::optional<QByteArray> LookupWord(int number);
void CloseRADs();

} // namespace Routines_RADs
