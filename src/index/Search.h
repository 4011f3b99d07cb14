// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <vector>

// The contact index's search: the clue's one cell in each chosen index,
// every entry whose match text holds the clue, ranked, one row per hit.
namespace Indexing {

// The search results: rows of display text (with emphasis marks, the
// character 1 and a letter), data text and picture number, kept in ascending
// order of data text (ordinal comparison; rows of equal data text in the
// order they came). The finder's list shows it; `vantix index search` prints
// it. While updates are off (a search running), rows are gathered without
// telling views, and put in order and shown when updates come back on.
class ResultsList : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role
    {
        DataTextRole = Qt::UserRole + 1,
        ImageRole
    };
    struct Row
    {
        QString display;
        QString data;
        int image = 0; // the folder kind when pictures are shown, else 0
    };

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    // DisplayRole: the display text; DataTextRole; ImageRole.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    void clear();
    void addRow(const QString& display, const QString& data, int image = 0);
    // A row at the end, whatever its data text (the browse page's rows stand
    // in the order of the folders); and the rows from `count` on taken away.
    void appendRow(const QString& display, const QString& data, int image = 0);
    void appendRows(std::vector<Row> rows);
    void truncate(int count);
    void removeRow(int row);
    int count() const;
    // Rows in order (updates on).
    const Row& row(int index) const;
    void setUpdatesEnabled(bool on);
    bool updatesEnabled() const { return m_updates; }

    // The row that a refine puts below the rows it moves up: no display
    // text, this data text, and never picked.
    static inline const QString DividerData = QStringLiteral("DIV");
    static constexpr int DividerImage = -1;
    static bool isDivider(const Row& row) { return row.data == DividerData; }
    // Refine: the rows whose text (without its marks) holds `text`, in any
    // case, go to the top in their order, with a divider below them when
    // there are any; a divider of an earlier refine goes first. One pass
    // over the rows, which keep their order otherwise. The number of rows
    // found.
    int refine(QStringView text);

private:
    std::vector<Row> m_rows;
    int m_shown = 0; // the rows that views know of
    bool m_updates = true;
    bool m_sorted = true;
};

// What the finder hands to the search and what comes back.
struct SearchRequest
{
    QList<qint16> Fields; // index numbers, searched in this order
    QString Clue;         // as typed
    Indexing::ResultsList* ResultsList = nullptr;
    bool ShowProgress = false;
    std::function<void(int)> ProgressBar;                  // value 0 to 100
    bool ShowIcons = false;                                // each row's picture is its folder kind
    std::array<bool, 4> TypeFlags{true, true, true, true}; // kinds N, O, C, F
    qint16 HitLimit = 0;                                   // 0 means 200; -1 no limit
    bool FieldsPreset = false;
    double SearchTime = 0; // seconds
    qint32 Traffic = 0;    // bytes read from index files
    qint32 Hits = 0;

    // Ours: each index that was not searched to its end, with the message
    // that said why (738, 914, or the damage found).
    struct Skipped
    {
        QString index; // the file name, "Pcode"
        QString message;
    };
    QList<Skipped> skipped;
    // Ours: each index searched although its maintenance flag was left set
    // (nobody works on it), with the line that says so (970).
    QStringList notes;
    // Ours: asked between records; true ends the search as a No to 907 does.
    // With it set, a long search lets the event queue run every 100 ms, so
    // that the request can come from a click.
    std::function<bool()> stopRequested;
};

// Runs the search; fills ResultsList and SearchTime, Traffic, Hits and the
// hit limit. Asks message 907 once when the rows pass the hit limit.
void Find(SearchRequest& request);

// The rank (1 to 100) of a candidate display text for a clue, which is
// compacted here: given as typed, the gaps that its compaction closes count
// (see Ranking.h); given compacted, it has none.
qint16 func_GetRanking(const QString& clue, const QString& candidate);

} // namespace Indexing
