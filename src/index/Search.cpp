// SPDX-License-Identifier: GPL-3.0-or-later
#include "Search.h"

#include "IndexFile.h"
#include "OpenIndex.h"
#include "Packing.h"
#include "SearchKeys.h"
#include "platform/Cp1252.h"
#include "platform/RunTimeError.h"
#include "platform/UiHost.h"
#include "shared/Files.h"
#include "shared/Formatting.h"
#include "shared/Messages.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cmath>
#include <limits>

namespace Indexing {

namespace {

// Shown when an index turns out to be damaged part way through a search.
constexpr int DamagedIndexMessage = 916;
constexpr int DamagedEntriesText = 917;
constexpr int DefaultHitLimit = 200;
constexpr int FoundTooManyQuestion = 907;
constexpr qint64 CellLookupTraffic = 3 * TableSize;

bool dataLess(const ResultsList::Row& a, const ResultsList::Row& b)
{
    return a.data < b.data;
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
        if (!m_rows.empty() && data < m_rows.back().data)
            m_sorted = false;
        m_rows.push_back(std::move(r));
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
        std::stable_sort(m_rows.begin(), m_rows.end(), dataLess);
    m_sorted = true;
    m_shown = int(m_rows.size());
    endResetModel();
}

// --- Ranking -----------------------------------------------------------------

namespace {

// Upper case one character at a time, so positions stay those of the text.
QString upperEach(QStringView text)
{
    QString upper(text.size(), Qt::Uninitialized);
    QChar* out = upper.data();
    for (const QChar c : text)
        *out++ = c.toUpper();
    return upper;
}

qint16 rankOf(const QString& clue, QStringView candidate)
{
    const QString upper = upperEach(candidate);
    const QChar blank = QLatin1Char(' ');
    if (upper == clue)
        return 100;
    if (upper.startsWith(clue) && upper.size() > clue.size() && upper[clue.size()] == blank)
        return 97;
    if ((blank + upper + blank).contains(blank + clue + blank))
        return 95;
    if (upper.startsWith(clue))
        return 93;
    if (upper.isEmpty())
        return 1;
    // An early, long match scores up to 90. A clue the display text does not
    // hold (its match text had it, spelt otherwise) scores by its length
    // alone, and never above the matches that the rules above place.
    const double length = double(upper.size());
    const qsizetype at = upper.indexOf(clue);
    const double a = at < 0 ? 0 : std::floor((length - double(at + 1)) / length * 100);
    const double b = std::floor(double(clue.size()) / length * 100);
    const double rank = std::floor((a + b) / 200 * 90);
    return qint16(std::clamp(rank, 1.0, 90.0));
}

} // namespace

qint16 func_GetRanking(const QString& clue, const QString& candidate)
{
    return Global::guarded("Indexing:func_GetRanking",
                           [&]() -> qint16 { return rankOf(clue, candidate); });
}

// --- Find --------------------------------------------------------------------

namespace {

const QChar Mark(1);

QString mark(char letter)
{
    return QString(Mark) + QLatin1Char(letter);
}

// An open index file read as an index source.
class FileSource final : public IndexSource
{
public:
    explicit FileSource(const Platform::File& file) : m_file(file), m_size(file.size()) {}
    qint64 size() const override { return m_size; }
    QByteArray read(qint64 position, qint64 count) const override
    {
        return m_file.readAt(position, count);
    }

private:
    const Platform::File& m_file;
    qint64 m_size;
};

// The display text of a hit as the row shows it, with the rank it earns: only
// the part before the character 1 is ranked; the further line follows it
// after a tab.
struct ShownText
{
    QString text;
    qint16 rank = 0;
};

ShownText shownText(QString display, const QString& clue)
{
    ShownText shown;
    const qsizetype t = display.indexOf(Mark);
    if (t >= 0) {
        shown.rank = func_GetRanking(clue, display.left(t));
        const bool more = t + 1 < display.size();
        display = display.left(t) + mark('t') + mark('b') + mark('y') + display.mid(t + 1) +
                  (more ? QStringLiteral("   ") : QString());
    } else {
        shown.rank = func_GetRanking(clue, display);
        display += mark('t');
    }

    // The clue is highlighted where a word starts with it, else where it
    // first stands, but only in the ranked part.
    const QString upper = upperEach(display);
    qsizetype at = upper.indexOf(QLatin1Char(' ') + clue);
    if (at >= 0)
        ++at;
    else
        at = upper.indexOf(clue);
    if (at >= 0 && at < display.indexOf(Mark)) {
        display = display.left(at) + mark('1') + display.mid(at, clue.size()) + mark('0') +
                  display.mid(at + clue.size());
    }
    shown.text = std::move(display);
    return shown;
}

class Finder
{
public:
    Finder(SearchRequest& request, ResultsList& list) : m_request(request), m_list(list) {}

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
    QString m_clue;      // compact form
    QByteArray m_needle; // the same in the index's bytes
    Cell m_cell;
    QString m_lastShown;  // the display text of the last row added
    bool m_asked = false; // the hit-limit question, once a search
    qint64 m_traffic = 0;
    QElapsedTimer m_clock;
    int m_current = 0; // the index being searched, for a fault's record
};

void Finder::run()
{
    m_clock.start();
    m_clue = Global::MakeSearchKey(m_request.Clue);
    if (m_clue.isEmpty())
        return;
    m_needle = Platform::Cp1252::encode(m_clue);
    m_cell = cellOf(m_clue);
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
    if (walker.damage()) {
        damage = walker.damage()->description;
    } else if (stream.damagedEntries() > 0) {
        damage = Global::ResolveRes(
            DamagedEntriesText,
            {QStringLiteral("%1-%2-%3").arg(m_cell.c1).arg(m_cell.c2).arg(m_cell.c3),
             stream.damagedEntries()});
    }
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
    return !(m_request.stopRequested && m_request.stopRequested());
}

void Finder::addHit(const Entry& entry)
{
    if (!entry.match.contains(QByteArrayView(m_needle)))
        return;
    qint16 kind = 0;
    int length = 0;
    const QString ref = KwUnPack(entry.packedRef, kind, length);
    if (kind < 1 || kind > 4)
        throw Platform::RunTimeError(Platform::RunTimeError::SubscriptOutOfRange);
    if (!m_request.TypeFlags[size_t(kind - 1)])
        return;

    const ShownText shown = shownText(UnZip(entry.packedDisplay, EntryStart), m_clue);
    const QString display =
        mark('B') + shown.text + mark('b') + mark('y') + QLatin1Char('(') + ref + QLatin1Char(')');
    // The same value stored under several words of one cell gives one row.
    if (display == m_lastShown)
        return;
    const QString data = QStringLiteral("%1").arg(100 - shown.rank, 3, 10, QLatin1Char('0')) +
                         Platform::Cp1252::decode(entry.match.data(), entry.match.size()) + Mark +
                         ref;
    m_list.addRow(display, data, m_request.ShowIcons ? kind : 0);
    m_lastShown = display;
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
