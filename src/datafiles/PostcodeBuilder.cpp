// SPDX-License-Identifier: GPL-3.0-or-later
#include "PostcodeBuilder.h"

#include "DataFile.h"
#include "PostcodeFile.h"
#include "platform/Cp1252.h"

#include <QStringDecoder>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <unordered_map>

namespace Routines_RADs {

using namespace DataFiles::Postcode;

namespace {

constexpr int FieldCount = 1 + StoredLines; // the postcode and the seven lines
constexpr std::string_view PoBox = "PO Box ";
const char* const FieldNames[FieldCount] = {"the postcode",   "address line 1", "address line 2",
                                            "address line 3", "address line 4", "address line 5",
                                            "address line 6", "the company"};

// Calls `f` for each piece of a line: a word (a run without blanks), a blank,
// or "PO Box " (with an empty view) where a piece may begin.
template <class F>
void pieces(std::string_view line, F&& f)
{
    std::size_t i = 0;
    while (i < line.size()) {
        if (line.substr(i).starts_with(PoBox)) {
            f(std::string_view());
            i += PoBox.size();
        } else if (line[i] == ' ') {
            f(line.substr(i, 1));
            ++i;
        } else {
            const std::size_t end = std::min(line.find(' ', i), line.size());
            f(line.substr(i, end - i));
            i = end;
        }
    }
}

bool beyondAscii(std::string_view word)
{
    return std::any_of(word.begin(), word.end(), [](char c) { return quint8(c) >= 128; });
}

struct Row
{
    std::array<std::string_view, FieldCount> fields;
};

Row rowAt(const QByteArray& store, quint32 start)
{
    Row row;
    const char* p = store.constData() + start;
    for (std::string_view& field : row.fields) {
        const std::size_t length = std::strlen(p);
        field = std::string_view(p, length);
        p += length + 1;
    }
    return row;
}

struct Item
{
    quint16 chain; // (cell 1 - 1) x 1000 + (cell 2 - 1) x 100 + ...
    quint8 keyLength;
    std::array<char, 7> key;
    quint32 row;

    std::string_view keyView() const { return {key.data(), keyLength}; }
    bool operator<(const Item& other) const
    {
        if (chain != other.chain)
            return chain < other.chain;
        // Unsigned, byte by byte, as the reader compares.
        const int order = std::memcmp(key.data(), other.key.data(),
                                      std::min<std::size_t>(keyLength, other.keyLength));
        if (order != 0)
            return order < 0;
        if (keyLength != other.keyLength)
            return keyLength < other.keyLength;
        return row < other.row;
    }
};

void putInt32(QByteArray& bytes, qsizetype at, qint32 value)
{
    qToLittleEndian(value, bytes.data() + at);
}

} // namespace

QString PostcodeFileBuilder::add(const PostcodeAddress& address)
{
    // Each field as the file's Windows-1252 can hold it: what the code page lacks in Latin
    // letters. A character with no such form would be stored as "?", which is no address.
    std::array<QString, FieldCount> fields;
    fields[0] = address.postcode.trimmed();
    for (int i = 0; i < 6; ++i)
        fields[std::size_t(i) + 1] = address.lines[std::size_t(i)].trimmed();
    fields[7] = address.company.trimmed();
    int changed = 0;
    for (int i = 0; i < FieldCount; ++i) {
        QString& field = fields[std::size_t(i)];
        int unknown = 0;
        QString latin = Platform::Cp1252::transliterate(field, &unknown);
        if (unknown > 0)
            return QStringLiteral("%1 \"%2\" holds %3 character(s) with no form in Latin letters")
                .arg(QLatin1String(FieldNames[i]), field)
                .arg(unknown);
        if (latin != field) {
            ++changed;
            field = std::move(latin);
        }
    }

    const QString given = fields[0];
    fields[0] = normalisePostcode(given);
    const QString& postcode = fields[0];
    if (postcode.isEmpty())
        return QStringLiteral("the postcode is empty");
    if (postcode.size() > MaxPostcodeLength)
        return QStringLiteral("the postcode \"%1\" is longer than %2 characters")
            .arg(given)
            .arg(MaxPostcodeLength);
    for (const QChar c : postcode) {
        if (!(c == QLatin1Char(' ') || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
              (c >= QLatin1Char('0') && c <= QLatin1Char('9'))))
            return QStringLiteral("the postcode \"%1\" holds \"%2\"; a postcode holds letters, "
                                  "digits and blanks")
                .arg(given, c);
    }

    for (int i = 1; i < FieldCount; ++i) {
        const QString& field = fields[std::size_t(i)];
        if (field.size() > MaxFieldLength)
            return QStringLiteral("%1 is longer than %2 characters")
                .arg(QLatin1String(FieldNames[i]))
                .arg(MaxFieldLength);
        for (const QChar c : field) {
            if (c.unicode() < 32 || c.unicode() == 127)
                return QStringLiteral("%1 holds a control character")
                    .arg(QLatin1String(FieldNames[i]));
            if (c == QLatin1Char('|'))
                return QStringLiteral("%1 holds \"|\", which separates the lines of an address")
                    .arg(QLatin1String(FieldNames[i]));
        }
    }

    if (m_store.size() > std::numeric_limits<quint32>::max() - 8 * 1024)
        return QStringLiteral("there are too many addresses for one file");
    m_transliterated += changed;
    m_rows.push_back(quint32(m_store.size()));
    for (const QString& field : fields) {
        m_store += Platform::Cp1252::encode(field);
        m_store += '\0';
    }
    return QString();
}

QByteArray PostcodeFileBuilder::build(const PostcodeFileOptions& options, Counts* counts) const
{
    using DataFiles::PostcodeFileHeader;
    using DataFiles::PostcodeFileUsers;

    // The users.
    if (options.users.size() > UserCount)
        throw PostcodeBuildError(QStringLiteral("%1 users are given; a file lists at most %2")
                                     .arg(options.users.size())
                                     .arg(UserCount));
    PostcodeFileUsers users;
    for (qsizetype i = 0; i < options.users.size(); ++i) {
        const QString name = options.users[i].trimmed();
        if (name.isEmpty() || name.size() > 30)
            throw PostcodeBuildError(
                QStringLiteral("the user name \"%1\" is not 1 to 30 characters long").arg(name));
        users.names[std::size_t(i)].text = name;
    }

    // The word dictionary: how often each word occurs.
    std::unordered_map<std::string_view, quint32> occurrences;
    occurrences.reserve(std::max<std::size_t>(1024, m_rows.size() / 4));
    for (const quint32 start : m_rows) {
        const Row row = rowAt(m_store, start);
        for (int i = 1; i < FieldCount; ++i) {
            pieces(row.fields[std::size_t(i)], [&](std::string_view piece) {
                if (piece.size() > 1 || (piece.size() == 1 && piece[0] != ' '))
                    ++occurrences[piece];
            });
        }
    }
    struct Candidate
    {
        std::string_view word;
        quint32 count;
        qint64 saving;
    };
    std::vector<Candidate> forced, chosen;
    for (const auto& [word, count] : occurrences) {
        const auto length = qint64(word.size());
        const qint64 saving = (length - 2) * qint64(count) - (length + 1);
        if (beyondAscii(word))
            forced.push_back({word, count, saving});
        else if (count > 1 && length >= 3 && saving > 0)
            chosen.push_back({word, count, saving});
    }
    if (forced.size() > std::size_t(MaxWords))
        throw PostcodeBuildError(
            QStringLiteral("%1 different words hold characters beyond ASCII; a file can hold %2")
                .arg(forced.size())
                .arg(MaxWords));
    const auto bySaving = [](const Candidate& a, const Candidate& b) {
        return a.saving != b.saving ? a.saving > b.saving : a.word < b.word;
    };
    const std::size_t room = std::size_t(MaxWords) - forced.size();
    if (chosen.size() > room) {
        std::nth_element(chosen.begin(), chosen.begin() + qsizetype(room), chosen.end(), bySaving);
        chosen.resize(room);
    }
    chosen.insert(chosen.end(), forced.begin(), forced.end());
    // The most used words in the first blocks, which a reader keeps at hand.
    std::sort(chosen.begin(), chosen.end(), [](const Candidate& a, const Candidate& b) {
        return a.count != b.count ? a.count > b.count : a.word < b.word;
    });
    std::unordered_map<std::string_view, quint16> numbers;
    numbers.reserve(chosen.size());
    for (std::size_t i = 0; i < chosen.size(); ++i)
        numbers.emplace(chosen[i].word, quint16(i));
    const int blocks = int((chosen.size() + WordsPerBlock - 1) / WordsPerBlock);

    // Every address by its chain and key.
    std::vector<Item> items;
    items.reserve(m_rows.size());
    for (quint32 r = 0; r < m_rows.size(); ++r) {
        const std::string_view code = rowAt(m_store, m_rows[r]).fields[0];
        const QString postcode = QString::fromLatin1(code.data(), qsizetype(code.size()));
        const std::array<qint16, 4> cells = postcodeCells(postcode);
        const QByteArray key = postcodeKey(postcode);
        Item item{};
        item.chain = quint16((cells[0] - 1) * 1000 + (cells[1] - 1) * 100 + (cells[2] - 1) * 10 +
                             (cells[3] - 1));
        item.keyLength = quint8(key.size());
        std::memcpy(item.key.data(), key.constData(), std::size_t(key.size()));
        item.row = r;
        items.push_back(item);
    }
    std::sort(items.begin(), items.end());

    // The tables that some chain passes through, level by level.
    struct Table
    {
        int path; // the cells above it, as digits
        qint64 position;
        std::array<qint32, TableEntries> entries;
    };
    std::array<std::vector<Table>, Levels> tables;
    std::vector<int> chains;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i == 0 || items[i].chain != items[i - 1].chain)
            chains.push_back(items[i].chain);
    }
    for (int level = 0; level < Levels; ++level) {
        int divisor = 1;
        for (int l = level; l < Levels; ++l)
            divisor *= 10;
        for (const int chain : chains) {
            const int path = chain / divisor;
            if (tables[std::size_t(level)].empty() ||
                tables[std::size_t(level)].back().path != path) {
                Table table{path, 0, {}};
                table.entries.fill(-1);
                tables[std::size_t(level)].push_back(table);
            }
        }
    }
    if (chains.empty()) {
        Table root{0, 0, {}};
        root.entries.fill(-1);
        tables[0].push_back(root);
    }

    // Positions: word records, then the tables, then the address records.
    qint64 position = ContentsPosition;
    std::array<qint32, BlockCount> blockTable;
    blockTable.fill(-1);
    std::vector<QByteArray> wordRecords;
    for (int b = 0; b < blocks; ++b) {
        QByteArray text;
        qint16 count = 0;
        for (std::size_t i = std::size_t(b) * WordsPerBlock;
             i < chosen.size() && i < std::size_t(b + 1) * WordsPerBlock; ++i, ++count) {
            text.append(chosen[i].word.data(), qsizetype(chosen[i].word.size()));
            text += '\0';
        }
        QByteArray record(4, '\0');
        qToLittleEndian(count, record.data());
        qToLittleEndian(quint16(text.size()), record.data() + 2);
        record += text;
        blockTable[std::size_t(b)] = qint32(position);
        position += record.size();
        wordRecords.push_back(std::move(record));
    }
    for (auto& level : tables) {
        for (Table& table : level) {
            table.position = position;
            position += TableSize;
        }
    }
    for (int level = 1; level < Levels; ++level) {
        std::size_t parent = 0;
        for (const Table& table : tables[std::size_t(level)]) {
            while (tables[std::size_t(level) - 1][parent].path != table.path / 10)
                ++parent;
            tables[std::size_t(level) - 1][parent].entries[std::size_t(table.path % 10)] =
                qint32(table.position);
        }
    }

    QByteArray out(position - 1, '\0');
    out.reserve(position - 1 + qsizetype(items.size()) * 48 +
                qsizetype(chains.size()) * RecordSize);

    // The address records, chain by chain.
    QByteArray entry;
    const auto encodeLine = [&](std::string_view line) {
        pieces(line, [&](std::string_view piece) {
            if (piece.empty()) {
                entry += PoBoxMark;
                return;
            }
            const auto found = numbers.find(piece);
            if (found == numbers.end()) {
                entry.append(piece.data(), qsizetype(piece.size()));
                return;
            }
            const int number = found->second;
            entry += char(128 | ((number >> 12) << 4) | ((number >> 8) & 15));
            entry += char(number & 255);
        });
        entry += EndsLine;
    };
    int postcodes = 0;
    std::size_t level4 = 0;
    for (std::size_t i = 0; i < items.size();) {
        const int chain = items[i].chain;
        while (tables[3][level4].path != chain / 10)
            ++level4;
        const qint64 first = out.size() + 1;
        tables[3][level4].entries[std::size_t(chain % 10)] = qint32(first);
        qsizetype used = DataFiles::Postcode::EntriesSize; // no record started yet
        int records = 0;
        for (; i < items.size() && items[i].chain == chain; ++i) {
            if (i == 0 || items[i].chain != items[i - 1].chain ||
                items[i].keyView() != items[i - 1].keyView())
                ++postcodes;
            const Row row = rowAt(m_store, m_rows[items[i].row]);
            entry.clear();
            entry += StartsEntry;
            entry.append(items[i].key.data(), items[i].keyLength);
            entry += EndsLine;
            for (int f = 1; f < FieldCount; ++f)
                encodeLine(row.fields[std::size_t(f)]);
            if (used + entry.size() > EntriesSize) {
                out.append(8, '\0');
                out.append(EntriesSize, ' ');
                ++records;
                used = 0;
            }
            std::memcpy(out.data() + out.size() - EntriesSize + used, entry.constData(),
                        std::size_t(entry.size()));
            used += entry.size();
        }
        for (int k = 0; k < records; ++k) {
            const qsizetype at = first - 1 + k * RecordSize;
            putInt32(out, at, k + 1 < records ? qint32(first + (k + 1) * RecordSize) : -1);
            putInt32(out, at + 4, records - 1 - k);
        }
        if (out.size() >= std::numeric_limits<qint32>::max())
            throw PostcodeBuildError(QStringLiteral("the file would pass the 2 GB that its "
                                                    "positions can reach"));
    }

    // What comes before the records.
    PostcodeFileHeader header;
    header.title.text = options.title;
    header.source.text = options.source;
    header.requiresAuthorisation = options.users.isEmpty() ? 0 : -1;
    header.wordBlocks = qint16(blocks);
    header.rootTable = qint32(tables[0].front().position);
    header.words = qint32(chosen.size());
    header.addresses = qint32(items.size());
    header.postcodes = postcodes;
    header.edition.text = options.edition;
    DataFiles::RecordWriter writer;
    writer.writeRaw(DataFiles::headerBytes(DataFiles::PostcodeFileKind));
    writer.write(header);
    writer.write(users);
    writer.write(blockTable);
    for (const QByteArray& record : wordRecords)
        writer.writeRaw(record);
    for (const auto& level : tables) {
        for (const Table& table : level)
            writer.write(table.entries);
    }
    Q_ASSERT(writer.bytes().size() == position - 1);
    std::memcpy(out.data(), writer.bytes().constData(), std::size_t(writer.bytes().size()));

    if (counts)
        *counts = {int(items.size()), postcodes, int(chosen.size())};
    return out;
}

QStringList readPostcodeCsv(QIODevice& input, PostcodeFileBuilder& builder)
{
    QStringList problems;
    QList<QByteArray> fields;
    QByteArray field;
    bool firstRow = true;
    qint64 line = 1, rowLine = 1;
    enum
    {
        FieldStart,
        Plain,
        Quoted,
        QuoteInQuoted
    } state = FieldStart;
    QString rowProblem;

    const auto text = [](const QByteArray& bytes) {
        const bool ascii =
            std::all_of(bytes.begin(), bytes.end(), [](char c) { return quint8(c) < 128; });
        if (ascii)
            return QString::fromLatin1(bytes);
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString decoded = utf8(bytes);
        return utf8.hasError() ? Platform::Cp1252::decode(bytes) : decoded;
    };
    const auto endRow = [&] {
        fields << field;
        field.clear();
        const bool blank = fields.size() == 1 && fields[0].trimmed().isEmpty();
        if (!rowProblem.isEmpty()) {
            problems << QStringLiteral("line %1: %2").arg(rowLine).arg(rowProblem);
        } else if (blank) {
        } else if (firstRow && fields[0].trimmed().compare("postcode", Qt::CaseInsensitive) == 0) {
        } else if (fields.size() > FieldCount) {
            problems << QStringLiteral("line %1: %2 fields; an address has at most %3 (postcode, "
                                       "six address lines, company)")
                            .arg(rowLine)
                            .arg(fields.size())
                            .arg(FieldCount);
        } else {
            PostcodeAddress address;
            address.postcode = text(fields[0]);
            for (int i = 0; i < 6; ++i)
                address.lines[std::size_t(i)] = text(fields.value(i + 1));
            address.company = text(fields.value(7));
            if (const QString problem = builder.add(address); !problem.isEmpty())
                problems << QStringLiteral("line %1: %2").arg(rowLine).arg(problem);
        }
        if (!blank)
            firstRow = false;
        fields.clear();
        rowProblem.clear();
        state = FieldStart;
        rowLine = line;
    };

    QByteArray chunk;
    bool start = true;
    while (!(chunk = input.read(1 << 20)).isEmpty()) {
        qsizetype i = 0;
        if (start && chunk.startsWith("\xEF\xBB\xBF"))
            i = 3;
        start = false;
        for (; i < chunk.size(); ++i) {
            const char c = chunk[i];
            if (c == '\n')
                ++line;
            if (state == Quoted) {
                if (c == '"')
                    state = QuoteInQuoted;
                else
                    field += c;
            } else if (state == QuoteInQuoted && c == '"') {
                field += c; // a doubled quote
                state = Quoted;
            } else if (c == ',') {
                fields << field;
                field.clear();
                state = FieldStart;
            } else if (c == '\n') {
                endRow();
            } else if (c == '"' && state == FieldStart) {
                state = Quoted;
            } else if (c != '\r') {
                if (state == QuoteInQuoted && rowProblem.isEmpty())
                    rowProblem = QStringLiteral("text follows the closing quote of field %1")
                                     .arg(fields.size() + 1);
                field += c;
                state = Plain;
            }
        }
    }
    if (state == Quoted) {
        rowProblem = QStringLiteral("the quoted field %1 is not closed").arg(fields.size() + 1);
        endRow();
    } else if (state != FieldStart || !fields.isEmpty()) {
        endRow();
    }
    return problems;
}

} // namespace Routines_RADs
