// SPDX-License-Identifier: GPL-3.0-or-later
#include "Search.h"

#include "IndexFile.h"
#include "OpenIndex.h"
#include "Packing.h"
#include "Ranking.h"
#include "SearchKeys.h"
#include "platform/Cp1252.h"
#include "platform/RunTimeError.h"
#include "platform/UiHost.h"
#include "shared/EmphasisMarks.h"
#include "shared/Files.h"
#include "shared/Formatting.h"
#include "shared/Messages.h"
#include "shared/TextRoutines.h"

#include <QElapsedTimer>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>

namespace Indexing {

namespace {

// Shown when an index turns out to be damaged part way through a search,
// and what it says of entries that cannot be read.
constexpr int DamagedIndexMessage = 916;
constexpr int DamagedEntriesText = 917;
constexpr int DefaultHitLimit = 200;
constexpr int FoundTooManyQuestion = 907;
constexpr int LeftLockedNote = 970;
constexpr qint64 CellLookupTraffic = 3 * TableSize;

bool dataLess(const ResultsList::Row& a, const ResultsList::Row& b)
{
    return a.data < b.data;
}

// Puts rows in ascending order of data text, rows of equal data text in the
// order they came. The first 32 characters of each data text (rank, match
// text and mostly the reference too) are compared as eight numbers, four
// characters each, before the rest as text; the end of a text counts as the
// character 0, which no data text holds.
void sortByData(std::vector<ResultsList::Row>& rows)
{
    constexpr qsizetype Chunks = 8;
    constexpr qsizetype KeyChars = Chunks * 4;
    struct Key
    {
        std::array<quint64, Chunks> head;
        size_t index;
    };
    std::vector<Key> keys(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const QString& data = rows[i].data;
        const qsizetype size = std::min(data.size(), KeyChars);
        std::array<char16_t, KeyChars> chars{};
        std::copy_n(reinterpret_cast<const char16_t*>(data.constData()), size, chars.begin());
        for (qsizetype c = 0; c < Chunks; ++c) {
            quint64 value = 0;
            for (qsizetype k = 0; k < 4; ++k)
                value = (value << 16) | chars[size_t(c * 4 + k)];
            keys[i].head[size_t(c)] = value;
        }
        keys[i].index = i;
    }
    std::sort(keys.begin(), keys.end(), [&rows](const Key& a, const Key& b) {
        for (size_t c = 0; c < size_t(Chunks); ++c) {
            if (a.head[c] != b.head[c])
                return a.head[c] < b.head[c];
        }
        const QStringView restA = QStringView(rows[a.index].data).mid(KeyChars);
        const QStringView restB = QStringView(rows[b.index].data).mid(KeyChars);
        if (const int order = restA.compare(restB); order != 0)
            return order < 0;
        return a.index < b.index;
    });
    std::vector<ResultsList::Row> sorted;
    sorted.reserve(rows.size());
    for (const Key& key : keys)
        sorted.push_back(std::move(rows[key.index]));
    rows.swap(sorted);
}

} // namespace

// --- ResultsList -------------------------------------------------------------

int ResultsList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_shown;
}

QVariant ResultsList::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= m_shown)
        return {};
    const Row& r = m_rows[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return r.display;
    case DataTextRole:
        return r.data;
    case ImageRole:
        return r.image;
    default:
        return {};
    }
}

void ResultsList::clear()
{
    beginResetModel();
    m_rows.clear();
    m_sorted = true;
    m_shown = 0;
    endResetModel();
}

void ResultsList::addRow(const QString& display, const QString& data, int image)
{
    Row r{display, data, image};
    if (!m_updates) {
        // Gathered behind the views' backs; put in order in one go later.
        m_rows.push_back(std::move(r));
        m_sorted = false;
        return;
    }
    // After every row of equal data text, so equal rows keep their order.
    const auto at = std::upper_bound(m_rows.begin(), m_rows.end(), r, dataLess);
    const int position = int(at - m_rows.begin());
    beginInsertRows({}, position, position);
    m_rows.insert(at, std::move(r));
    m_shown = int(m_rows.size());
    endInsertRows();
}

void ResultsList::appendRow(const QString& display, const QString& data, int image)
{
    const int position = int(m_rows.size());
    beginInsertRows({}, position, position);
    m_rows.push_back(Row{display, data, image});
    m_shown = int(m_rows.size());
    endInsertRows();
}

void ResultsList::appendRows(std::vector<Row> rows)
{
    if (rows.empty())
        return;
    const int position = int(m_rows.size());
    beginInsertRows({}, position, position + int(rows.size()) - 1);
    m_rows.insert(m_rows.end(), std::make_move_iterator(rows.begin()),
                  std::make_move_iterator(rows.end()));
    m_shown = int(m_rows.size());
    endInsertRows();
}

void ResultsList::truncate(int count)
{
    if (count < 0 || count >= int(m_rows.size()))
        return;
    beginRemoveRows({}, count, int(m_rows.size()) - 1);
    m_rows.resize(size_t(count));
    m_shown = int(m_rows.size());
    endRemoveRows();
}

void ResultsList::removeRow(int row)
{
    if (row < 0 || row >= int(m_rows.size()))
        return;
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    m_shown = int(m_rows.size());
    endRemoveRows();
}

int ResultsList::count() const
{
    return int(m_rows.size());
}

const ResultsList::Row& ResultsList::row(int index) const
{
    return m_rows.at(size_t(index));
}

void ResultsList::setUpdatesEnabled(bool on)
{
    if (on == m_updates)
        return;
    m_updates = on;
    if (!on)
        return;
    // Views know only the rows that stood when updates went off; the sort
    // may move those too, so the whole list is shown again.
    beginResetModel();
    if (!m_sorted)
        sortByData(m_rows);
    m_sorted = true;
    m_shown = int(m_rows.size());
    endResetModel();
}

int ResultsList::refine(QStringView text)
{
    beginResetModel();
    std::erase_if(m_rows, isDivider);
    const auto found = std::stable_partition(m_rows.begin(), m_rows.end(), [&](const Row& r) {
        return Global::plainEmphasisText(r.display).contains(text, Qt::CaseInsensitive);
    });
    const int moved = int(found - m_rows.begin());
    if (moved > 0)
        m_rows.insert(found, Row{QString(), DividerData, DividerImage});
    m_sorted = true;
    m_shown = int(m_rows.size());
    endResetModel();
    return moved;
}

// --- Find --------------------------------------------------------------------

namespace {

const QChar Mark(1);

// An open index file read as an index source. Its size is asked afresh each
// time: another user may append a record to the very chain being walked, and
// a pointer to it must not read as one outside the file.
class FileSource final : public IndexSource
{
public:
    explicit FileSource(const Platform::File& file) : m_file(file) {}
    qint64 size() const override { return m_file.size(); }
    QByteArray read(qint64 position, qint64 count) const override
    {
        return m_file.readAt(position, count);
    }

private:
    const Platform::File& m_file;
};

class Finder
{
public:
    Finder(SearchRequest& request, ResultsList& list)
        : m_request(request), m_list(list), m_clue(request.Clue)
    {}

    void run();
    qint64 traffic() const { return m_traffic; }

private:
    enum class Walk
    {
        Done,
        Stopped
    };
    Walk searchIndex(int i, int n);
    Walk searchCell(const IndexSource& source, qint64 first, int i, int n, QString& damage);
    void addHit(const Entry& entry);
    bool goOn(); // between records: the hit-limit question and stop requests
    void progress(int value)
    {
        if (m_request.ShowProgress && m_request.ProgressBar)
            m_request.ProgressBar(std::clamp(value, 0, 100));
    }
    void skip(int number, const QString& message)
    {
        m_request.skipped.append({IndexTitle(number), message});
    }

    SearchRequest& m_request;
    ResultsList& m_list;
    RankingClue m_clue;
    QByteArray m_needle; // its key in the index's bytes
    Cell m_cell;
    QString m_lastShown; // the display text of the last row added
    const CharTables& m_tables = charTables();
    // The last reference unpacked: a folder's entries often follow each other.
    QByteArray m_refBytes;
    QByteArray m_unzipped; // the room of the display text being unpacked
    QString m_ref;
    qint16 m_kind = 0;
    int m_strayKinds = 0; // entries of the cell whose folder kind is none of 1 to 4
    bool m_asked = false; // the hit-limit question, once a search
    qint64 m_traffic = 0;
    QElapsedTimer m_clock;
    qint64 m_lastEvents = 0; // when the event queue last ran, on m_clock
    static constexpr qint64 EventsEveryMs = 100;
    int m_current = 0; // the index being searched, for a fault's record
};

void Finder::run()
{
    m_clock.start();
    if (m_clue.key().isEmpty())
        return;
    m_needle = Platform::Cp1252::encode(m_clue.key());
    m_cell = cellOf(m_clue.key());
    Global::BusyPointerScope busy;

    Global::guarded("Indexing:Find", [&] {
        try {
            const int n = int(m_request.Fields.size());
            for (int i = 0; i < n; ++i) {
                if (m_request.stopRequested && m_request.stopRequested())
                    break;
                m_current = m_request.Fields[i];
                const Walk walk = searchIndex(i, n);
                m_current = 0;
                if (walk == Walk::Stopped) {
                    // The time spent is not reported for a search the user
                    // broke off.
                    m_clock.restart();
                    break;
                }
            }
        } catch (...) {
            // The fault ends the whole search; the index it struck is named
            // with the report the user is shown.
            if (m_current != 0) {
                skip(m_current, Global::ResolveRes(Global::Str::UnexpectedError,
                                                   {QStringLiteral("Indexing:Find  Error:") +
                                                    Global::currentErrorDescription()}));
            }
            throw;
        }
    });
    m_request.SearchTime = double(m_clock.nsecsElapsed()) / 1e9;
}

Finder::Walk Finder::searchIndex(int i, int n)
{
    const int number = m_request.Fields[i];
    const OpenOutcome opened = openIndexForReading(indexPath(indexFolder(), number));
    if (!opened.usable()) {
        skip(number, opened.message);
        return Walk::Done;
    }
    if (opened.leftLocked)
        m_request.notes << Global::ResolveRes(LeftLockedNote, {IndexTitle(opened.file.path())});
    const FileSource source(opened.file);

    QString damage;
    const CellHead head = findCell(source, m_cell);
    m_traffic += CellLookupTraffic;
    Walk walk = Walk::Done;
    if (head.damage)
        damage = head.damage->description;
    else if (head.first != -1)
        walk = searchCell(source, head.first, i, n, damage);

    if (!damage.isEmpty()) {
        // Reported once for the index, and the search goes on with the next.
        const QString message =
            Global::ResolveRes(DamagedIndexMessage, {IndexTitle(opened.file.path()), damage});
        Global::showText(message, Platform::MsgButtons::Ok, Platform::MsgIcon::Exclamation,
                         Global::ResolveRes(Global::Str::TitleWarning));
        skip(number, message);
    }
    if (walk == Walk::Done) {
        progress((i + 1) * 100 / n);
        Platform::uiHost().doEvents();
    }
    return walk;
}

Finder::Walk Finder::searchCell(const IndexSource& source, qint64 first, int i, int n,
                                QString& damage)
{
    ChainWalker walker(source, first, m_cell);
    EntryStream stream;
    m_strayKinds = 0;
    const auto onEntry = [this](const Entry& entry) { addHit(entry); };
    IndexRecord record;
    Walk walk = Walk::Done;
    while (walker.next(record)) {
        m_traffic += RecordSize;
        const bool last = record.NextRecord == -1;
        stream.add(record, last);
        stream.take(onEntry, last);
        if (last)
            continue; // the walker checks the chain's Count and Tail at its end
        if (!goOn()) {
            walk = Walk::Stopped;
            break;
        }
        if (walker.count() > 0) {
            progress(i * 100 / n +
                     int(std::floor(double(walker.recordsRead()) / walker.count() * (100.0 / n))));
        }
    }
    // An entry of a folder kind that no folder has is as unreadable as one
    // cut short.
    const int damagedEntries = stream.damagedEntries() + m_strayKinds;
    if (walker.damage())
        damage = walker.damage()->description;
    else if (damagedEntries > 0)
        damage = Global::ResolveRes(DamagedEntriesText, {cellName(m_cell), damagedEntries});
    return walk;
}

bool Finder::goOn()
{
    const qint16 limit = m_request.HitLimit;
    if (!m_asked && limit != -1 && m_list.count() > limit) {
        m_asked = true;
        const Platform::MsgAnswer answer = Global::showMessage(
            FoundTooManyQuestion, {int(limit), m_request.Clue}, Platform::MsgButtons::YesNo,
            Platform::MsgIcon::Information, Global::Str::TitleConfirm, 1);
        if (answer != Platform::MsgAnswer::Yes)
            return false;
    }
    // A long walk lets the window paint and take a click that stops it, a
    // few times a second and no more often: a search of a few records
    // never pays for it.
    if (m_request.stopRequested && m_clock.elapsed() - m_lastEvents >= EventsEveryMs) {
        m_lastEvents = m_clock.elapsed();
        Platform::uiHost().doEvents();
    }
    return !(m_request.stopRequested && m_request.stopRequested());
}

// The display text's bytes as UnZip reads them, before they are decoded,
// into `out`.
QByteArrayView unzippedBytes(QByteArray& out, QByteArrayView packed)
{
    if (packed.isEmpty())
        return {};
    if (Global::KwUnZipInto(out, packed, packed.size() * 2))
        return out;
    const qsizetype end = packed.indexOf(EntryStart);
    return packed.first(end < 0 ? packed.size() : end);
}

// Writes a text of known length into place, character by character. A
// length worked out wrong is a fault of ours: it ends the search with
// "Subscript out of range" instead of writing past the text or leaving it
// part filled.
class TextWriter
{
public:
    TextWriter(QString& text, qsizetype size, const CharTables& tables) : m_tables(tables)
    {
        text = QString(size, Qt::Uninitialized);
        m_at = text.data();
        m_end = m_at + size;
    }
    TextWriter(const TextWriter&) = delete;
    TextWriter& operator=(const TextWriter&) = delete;

    void put(QChar c)
    {
        room(1);
        *m_at++ = c;
    }
    void mark(char letter)
    {
        put(Mark);
        put(QLatin1Char(letter));
    }
    void put(QStringView text)
    {
        room(text.size());
        m_at = std::copy(text.begin(), text.end(), m_at);
    }
    void put(QByteArrayView bytes)
    {
        room(bytes.size());
        for (const char byte : bytes)
            *m_at++ = QChar(m_tables.byteChar[static_cast<unsigned char>(byte)]);
    }
    // The text is complete: every character written.
    void finish() const
    {
        if (m_at != m_end)
            throw Platform::RunTimeError(Platform::RunTimeError::SubscriptOutOfRange);
    }

private:
    void room(qsizetype count) const
    {
        if (m_end - m_at < count)
            throw Platform::RunTimeError(Platform::RunTimeError::SubscriptOutOfRange);
    }

    const CharTables& m_tables;
    QChar* m_at;
    QChar* m_end;
};

void Finder::addHit(const Entry& entry)
{
    if (!entry.match.contains(QByteArrayView(m_needle)))
        return;
    if (entry.packedRef != QByteArrayView(m_refBytes)) {
        // Copied into the buffer already there: no allocation per folder.
        m_refBytes.resize(entry.packedRef.size());
        std::copy(entry.packedRef.begin(), entry.packedRef.end(), m_refBytes.begin());
        int length = 0;
        m_ref = KwUnPack(entry.packedRef, m_kind, length);
    }
    if (!isIndexedKind(m_kind)) {
        ++m_strayKinds;
        return;
    }
    if (!m_request.TypeFlags[size_t(m_kind - 1)])
        return;

    // The display text's first line is ranked; its further line, after the
    // character 1, follows a tab.
    const QByteArrayView bytes = unzippedBytes(m_unzipped, entry.packedDisplay);
    const qsizetype t = bytes.indexOf(EntryStart);
    const ByteText first{t >= 0 ? bytes.first(t) : bytes, m_tables};
    const ByteText further{t >= 0 ? bytes.sliced(t + 1) : QByteArrayView(), m_tables};
    const Occurrences found = occurrencesOf(first, m_clue);
    const qint16 rank = guardedRank(m_clue, first, found);

    // The clue is highlighted where a word of the first line starts with it,
    // else where it first stands there; a word of the further line that
    // starts with it takes the place of the second choice, and is not shown.
    Span shown = found.afterBlank;
    if (!shown.found() && !findAfterBlank(further, m_clue).found())
        shown = found.first;

    const bool hasFurther = t >= 0;
    const bool padded = hasFurther && further.size() > 0;
    QString display;
    TextWriter out(display,
                   2 + first.size() + (shown.found() ? 4 : 0) + 2 +
                       (hasFurther ? 4 + further.size() + (padded ? 3 : 0) : 0) + 5 + m_ref.size() +
                       1,
                   m_tables);
    out.mark('B');
    if (shown.found()) {
        out.put(first.bytes.first(shown.start));
        out.mark('1');
        out.put(first.bytes.sliced(shown.start, shown.size()));
        out.mark('0');
        out.put(first.bytes.sliced(shown.end));
    } else {
        out.put(first.bytes);
    }
    out.mark('t');
    if (hasFurther) {
        out.mark('b');
        out.mark('y');
        out.put(further.bytes);
        if (padded)
            out.put(QStringView(u"   "));
    }
    out.mark('b');
    out.mark('y');
    out.put(QLatin1Char('('));
    out.put(m_ref);
    out.put(QLatin1Char(')'));
    out.finish();
    // The same value stored under several words of one cell gives one row.
    if (display == m_lastShown)
        return;

    QString data;
    TextWriter dataOut(data, 3 + entry.match.size() + 1 + m_ref.size(), m_tables);
    const int order = 100 - rank;
    dataOut.put(QLatin1Char(char('0' + order / 100)));
    dataOut.put(QLatin1Char(char('0' + order / 10 % 10)));
    dataOut.put(QLatin1Char(char('0' + order % 10)));
    dataOut.put(entry.match);
    dataOut.put(Mark);
    dataOut.put(m_ref);
    dataOut.finish();
    m_list.addRow(display, data, m_request.ShowIcons ? m_kind : 0);
    m_lastShown = std::move(display);
}

} // namespace

void Find(SearchRequest& request)
{
    ResultsList own;
    ResultsList& list = request.ResultsList ? *request.ResultsList : own;
    list.clear();
    list.setUpdatesEnabled(false);
    if (request.ShowProgress && request.ProgressBar)
        request.ProgressBar(0);
    request.Traffic = 0;
    request.Hits = 0;
    if (request.HitLimit == 0)
        request.HitLimit = DefaultHitLimit;

    Finder finder(request, list);
    finder.run();

    // Whatever ended the search, the rows found are shown and counted.
    request.Traffic =
        qint32(std::min<qint64>(finder.traffic(), std::numeric_limits<qint32>::max()));
    list.setUpdatesEnabled(true);
    request.Hits = list.count();
}

} // namespace Indexing
