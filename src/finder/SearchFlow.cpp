// SPDX-License-Identifier: GPL-3.0-or-later
#include "SearchFlow.h"

#include "Picks.h"
#include "datafiles/FileInfoFile.h"
#include "datafiles/ShareFile.h"
#include "index/SearchKeys.h"
#include "platform/FileSystem.h"
#include "platform/UiHost.h"
#include "shared/Files.h"
#include "shared/Formatting.h"
#include "shared/Messages.h"
#include "shared/Paths.h"
#include "shared/Settings.h"
#include "shared/Tweaks.h"
#include "shared/Values.h"

#include <QElapsedTimer>

#include <algorithm>

namespace Finding {
namespace {

const QString Config = QStringLiteral("Config");
const QString SimpleSearch = QStringLiteral("SimpleSearch");
const QString AdvancedSearch = QStringLiteral("AdvancedSearch");
constexpr int FoundText = 910;
constexpr int NothingFoundText = 912;
// Page Up and Page Down move the selection this many rows.
constexpr int PageRows = 5;
const QString UserPrefix = QStringLiteral("INT:");
constexpr int UsersItems = 927;
constexpr int OkText = 400;
// The share file's item that reads the list of users.
constexpr qint16 UserList = 33;
// A long step lets the window paint this often.
constexpr qint64 EventsEveryMs = 100;

} // namespace

SearchFlow::SearchFlow(QObject* parent) : QObject(parent) {}

QString SearchFlow::fieldImage(int button) const
{
    const bool pressed = m_buttons.value(button).pressed;
    if (m_simple)
        return pressed ? QStringLiteral("RY") : QStringLiteral("RN");
    return pressed ? QStringLiteral("TY") : QStringLiteral("TN");
}

QStringList SearchFlow::backMenu() const
{
    // The clues before the newest, newest first.
    QStringList menu;
    for (qsizetype i = m_history.size() - 2; i >= 0; --i)
        menu << m_history[i];
    return menu;
}

void SearchFlow::pageClicked(const QString& page)
{
    if (m_busy)
        return;
    // What the status said belongs to the page left.
    setStatusText(QString());
    if (page == SimplePage || page == AdvancedPage) {
        m_simple = page == SimplePage;
        buildFieldButtons();
        // Both search pages share one list.
        showPage(SimplePage);
        // Simple search always has one field.
        if (m_simple && m_currentButton < 0 && !m_buttons.isEmpty())
            fieldButtonClicked(0);
    } else if (page == ContentPage) {
        m_buttons.clear();
        m_currentButton = -1;
        emit fieldButtonsChanged();
        showPage(page);
    } else if (page == UsersPage) {
        m_buttons.clear();
        m_currentButton = -1;
        showPage(page);
        fillUsersPage();
        // The field row becomes the users page's own.
        emit fieldButtonsChanged();
    } else if (page == BrowsePage) {
        showPage(page);
        const QString filing = Global::GetDataFolder(QStringLiteral("FilingFolder"));
        m_results.appendRow(Global::FormatFilename(filing, QStringLiteral("M")), filing,
                            FilingImage);
        selectRow(0);
        browseFolder(filing);
    } else {
        return;
    }
    emit pageButtonPressed(page);
}

void SearchFlow::buildFieldButtons()
{
    const QString stored =
        QLatin1Char(',') +
        Global::GetRegistryData(
            Config, m_simple ? SimpleSearch : AdvancedSearch,
            {.defaultValue = m_simple ? QStringLiteral("Name") : QStringLiteral("Name,PCode")})
            .toString() +
        QLatin1Char(',');
    m_buttons.clear();
    m_currentButton = -1;
    for (const QString& field : Indexing::GetIndexedFields()) {
        const QString caption = field.section(QLatin1Char('|'), 0, 0);
        const qint16 number = qint16(field.section(QLatin1Char('|'), 1).toInt());
        const bool pressed = stored.contains(QStringLiteral(",%1,").arg(number));
        m_buttons.append({QLatin1Char(' ') + caption, number, pressed});
        // Grouped buttons in simple search: the first pressed one counts.
        if (m_simple && pressed && m_currentButton < 0)
            m_currentButton = int(m_buttons.size() - 1);
        else if (m_simple && pressed)
            m_buttons.last().pressed = false;
    }
    emit fieldButtonsChanged();
}

void SearchFlow::storeFieldSelection() const
{
    // The buttons stand in field order from 1, so a button's place is its
    // field number: what both selections store and read back.
    QStringList pressed;
    for (qsizetype i = 0; i < m_buttons.size(); ++i) {
        if (m_buttons[i].pressed)
            pressed << QString::number(i + 1);
    }
    Global::SaveRegistryData(Config, m_simple ? SimpleSearch : AdvancedSearch,
                             pressed.join(QLatin1Char(',')));
}

void SearchFlow::fieldButtonClicked(int button)
{
    if (m_busy)
        return;
    // BROWSE keeps the search pages' buttons, greyed: they choose nothing.
    if (m_page != SimplePage || button < 0 || button >= m_buttons.size())
        return;
    if (m_simple) {
        for (qsizetype i = 0; i < m_buttons.size(); ++i)
            m_buttons[i].pressed = i == button;
    } else {
        m_buttons[button].pressed = !m_buttons[button].pressed;
    }
    storeFieldSelection();
    m_currentButton = button;
    // The next Enter searches again.
    m_lastClue.clear();
    selectRow(-1);
    emit fieldButtonsChanged();
    clueChangeHandling();
}

void SearchFlow::showPage(const QString& key)
{
    if (key == ContentPage || key == BrowsePage || key != m_page)
        m_results.clear();
    const bool clueWasEnabled = clueEnabled();
    m_page = key;
    if (clueEnabled() != clueWasEnabled)
        emit clueEnabledChanged(clueEnabled());
    if (m_refineShown && m_results.count() == 0)
        setRefineShown(false);
    if (m_results.count() == 0)
        selectRow(-1);
    clueChangeHandling();
}

void SearchFlow::clueChangeHandling()
{
    setStartEnabled(!m_clue.isEmpty());
}

void SearchFlow::setClue(const QString& clue)
{
    setStartEnabled(!clue.isEmpty());
    if (clue == m_clue)
        return;
    m_clue = clue;
    emit clueChanged(clue);
}

bool SearchFlow::clueKey(ClueKey key)
{
    if (m_busy)
        return true;
    switch (key) {
    case ClueKey::Enter:
        if (m_results.count() == 0 || m_clue != m_lastClue)
            start();
        else
            pickSelected();
        return true;
    case ClueKey::Escape:
        if (m_results.count() == 0)
            return false;
        m_results.clear();
        selectRow(-1);
        setStatusText(QString());
        return true;
    default:
        return listKey(key);
    }
}

bool SearchFlow::refineKey(ClueKey key)
{
    if (m_busy)
        return true;
    if (key != ClueKey::Enter)
        return clueKey(key);
    if (m_refineText != m_rememberedRefine)
        refine();
    else
        pickSelected();
    return true;
}

bool SearchFlow::listKey(ClueKey key)
{
    const int count = m_results.count();
    const bool onRow = m_selected >= 0 && m_listEnabled && count > 0;
    switch (key) {
    case ClueKey::Up:
        if (onRow)
            selectRow(m_selected == 0 ? count - 1 : m_selected - 1);
        else if (m_selected < 0 && m_simple && m_page == SimplePage)
            pressFieldButton(-1);
        return true;
    case ClueKey::Down:
        if (onRow)
            selectRow(m_selected == count - 1 ? 0 : m_selected + 1);
        else if (m_selected < 0 && m_simple && m_page == SimplePage)
            pressFieldButton(1);
        return true;
    case ClueKey::PageUp:
        if (onRow)
            selectRow(std::max(0, m_selected - PageRows));
        return true;
    case ClueKey::PageDown:
        if (onRow)
            selectRow(std::min(count - 1, m_selected + PageRows));
        return true;
    default:
        return false;
    }
}

void SearchFlow::pressFieldButton(int step)
{
    if (m_buttons.isEmpty())
        return;
    const int count = int(m_buttons.size());
    const int from = m_currentButton < 0 ? 0 : m_currentButton;
    const int to = ((from + step) % count + count) % count;
    for (int i = 0; i < count; ++i)
        m_buttons[i].pressed = i == to;
    m_currentButton = to;
    emit fieldButtonsChanged();
}

void SearchFlow::start()
{
    if (m_busy)
        return;
    if (m_page != ContentPage)
        doSearch();
}

void SearchFlow::doSearch()
{
    if (m_busy)
        return;
    if (m_clue.isEmpty())
        return;
    // The clue as it stands now: the box may change while the search runs.
    const QString clue = m_clue;
    setStartEnabled(false);
    m_rememberedRefine.clear();

    // The history holds each clue once; the one searched is the current one.
    const auto found = std::find_if(m_history.cbegin(), m_history.cend(), [&](const QString& c) {
        return c.compare(clue, Qt::CaseInsensitive) == 0;
    });
    const qsizetype known = found == m_history.cend() ? -1 : found - m_history.cbegin();
    if (known < 0) {
        m_history.append(clue);
        m_historyAt = int(m_history.size() - 1);
    } else {
        m_historyAt = int(known);
    }
    emit historyChanged();

    QList<qint16> fields;
    if (m_presetFields) {
        fields = *std::exchange(m_presetFields, std::nullopt);
    } else {
        for (const FieldButton& button : m_buttons) {
            if (button.pressed)
                fields << button.field;
        }
    }
    if (fields.isEmpty()) {
        Platform::uiHost().beep();
    } else {
        const Busy busy(*this);
        Indexing::SearchRequest request;
        request.Fields = fields;
        request.Clue = clue;
        request.ResultsList = &m_results;
        request.ShowProgress = true;
        request.ProgressBar = [this](int percent) { emit progressChanged(percent); };
        request.ShowIcons = true;
        request.TypeFlags = m_typeFlags;
        m_stopRequested = false;
        request.stopRequested = [this] { return m_stopRequested; };
        emit progressChanged(0);
        emit progressShown(true);
        Platform::uiHost().doEvents();
        Indexing::Find(request);
        emit progressShown(false);
        m_hits = request.Hits;
        m_lastClue = clue;
        // An index searched although it was left locked is said after it.
        QString notes;
        for (const QString& note : std::as_const(request.notes))
            notes += QStringLiteral("   ") + note;
        if (m_hits != 0) {
            setStatusText(Global::ResolveRes(FoundText,
                                             {Global::formatNumber(request.Hits, u"#,##0"),
                                              Global::formatNumber(request.SearchTime, u"0.0##"),
                                              Global::FormatFileSize(QString(), request.Traffic)}) +
                          notes);
            setRefineShown(m_hits > Global::GetTweak(Global::Tweak::RefineSearchTrigger).number());
        } else {
            setStatusText(Global::ResolveRes(NothingFoundText) + notes);
            setRefineShown(false);
        }
    }
    emit clueSelectAll();
    setListEnabled(m_hits != 0);
    selectRow(m_listEnabled && m_results.count() > 0 ? 0 : -1);
}

void SearchFlow::back()
{
    if (m_busy)
        return;
    if (m_historyAt <= 0)
        return;
    setClue(m_history[--m_historyAt]);
    start();
}

void SearchFlow::backMenuChosen(const QString& clue)
{
    if (m_busy)
        return;
    setClue(clue);
    start();
}

void SearchFlow::setRefineText(const QString& text)
{
    m_refineText = text;
    m_refineEnabled = !text.isEmpty();
}

void SearchFlow::refine()
{
    if (m_busy)
        return;
    if (m_refineText.isEmpty())
        return;
    m_refineEnabled = false;
    m_rememberedRefine = m_refineText;
    if (m_results.refine(m_refineText) > 0)
        selectRow(0);
    else
        selectRow(m_selected < m_results.count() ? m_selected : -1);
    emit refineSelectAll();
}

void SearchFlow::selectRow(int row)
{
    if (row < -1 || row >= m_results.count())
        row = -1;
    if (row == m_selected)
        return;
    m_selected = row;
    emit selectedRowChanged(row);
}

void SearchFlow::rowClicked(int row)
{
    if (m_busy)
        return;
    selectRow(row);
    // Many users are chosen by clicks; OK hands them back.
    if (m_page != BrowsePage && !(m_page == UsersPage && m_usersMany))
        pickSelected();
}

SearchFlow::UsersRow SearchFlow::usersRow()
{
    const QStringList items = Global::ResolveRes(UsersItems).split(QChar(0));
    const auto caption = [&](int i) { return items.value(i).section(QLatin1Char('|'), 0, 0); };
    return {items.value(0), caption(1), caption(2), caption(3), Global::ResolveRes(OkText)};
}

void SearchFlow::fillUsersPage()
{
    // One is pressed when the page opens.
    setUsersMany(false);
    // Entering the page again lists its users anew, not twice.
    m_results.clear();
    selectRow(-1);
    Global::guarded("frm_Find:FillUsersPage", [&] {
        QString unused;
        if (!Routines_ShareFile::ReadShare(UserList, unused))
            return;
        m_results.setUpdatesEnabled(false);
        for (const DataFiles::ShareUser& user : Routines_ShareFile::users()) {
            if (user.flags & DataFiles::ShareUser::Disabled)
                continue;
            const QString name = user.name.value().trimmed();
            m_results.addRow(QStringLiteral("\x01"
                                            "B%1\x01"
                                            "b\x01"
                                            "t%2")
                                 .arg(name, user.email.value().trimmed()),
                             name + QChar(1) + UserPrefix + user.login.value().trimmed());
        }
        m_results.setUpdatesEnabled(true);
    });
    if (m_results.count() > 0)
        selectRow(0);
}

void SearchFlow::setUsersMany(bool many)
{
    if (m_busy)
        return;
    m_chosenRows.clear();
    if (many == m_usersMany)
        return;
    m_usersMany = many;
    emit usersManyChanged(many);
}

void SearchFlow::setChosenRows(const QList<int>& rows)
{
    m_chosenRows = rows;
    std::sort(m_chosenRows.begin(), m_chosenRows.end());
}

void SearchFlow::usersOk()
{
    if (m_busy)
        return;
    pickUsers(m_chosenRows);
}

void SearchFlow::usersAll()
{
    if (m_busy)
        return;
    QList<int> rows;
    for (int i = 0; i < m_results.count(); ++i)
        rows << i;
    pickUsers(rows);
}

void SearchFlow::pickUsers(const QList<int>& rows)
{
    QString pickText;
    for (const int row : rows) {
        if (row < 0 || row >= m_results.count())
            continue;
        const Indexing::ResultsList::Row& r = m_results.row(row);
        pickText += r.data.mid(r.data.indexOf(QChar(1)) + 1) + QChar(1) + r.display + QChar(0);
    }
    emit picked(pickText);
}

void SearchFlow::rowActivated(int row, int part)
{
    if (m_busy)
        return;
    selectRow(row);
    if (m_page != BrowsePage)
        pickSelected();
    else if (part == 1)
        pickSelected();
    else if (m_selected >= 0 && !Indexing::ResultsList::isDivider(m_results.row(m_selected)))
        browseFolder(QString(m_results.row(m_selected).data)); // a copy: the rows change
}

void SearchFlow::browseFolder(const QString& folder)
{
    if (m_busy)
        return;
    const auto infoOf = [](const QString& path) {
        return Platform::findNoCase(path, QStringLiteral("FileInfo.inf"));
    };
    if (!Global::FileExists(infoOf(folder)))
        return;
    // A folder of thousands of folders takes a while: the window keeps
    // painting (and takes no other step meanwhile).
    const Global::BusyPointerScope pointer;
    const Busy busy(*this);
    QElapsedTimer sinceEvents;
    sinceEvents.start();
    // The path down to the selected row stays. The divider above it goes,
    // and with it the selected folder's siblings listed before it, so that
    // the rows down to it are the path and nothing else.
    int selected = std::max(m_selected, 0);
    m_results.truncate(selected + 1);
    for (int row = 0; row < selected; ++row) {
        if (Indexing::ResultsList::isDivider(m_results.row(row))) {
            while (selected > row) {
                m_results.removeRow(row);
                --selected;
            }
            break;
        }
    }
    m_selected = -1;
    selectRow(selected);
    m_results.appendRow(QString(), Indexing::ResultsList::DividerData,
                        Indexing::ResultsList::DividerImage);

    // The kinds that the folder's summary gives its sub-folders, by
    // reference: "\x10" reference "\x11" kind "\x12" each.
    const QString summary = Routines_FileInfoFile::ReadFileInfo(infoOf(folder)).FolderSummary;
    QHash<QString, int> summaryKinds;
    for (const QString& entry : summary.split(DataFiles::SummaryClose, Qt::SkipEmptyParts)) {
        const qsizetype open = entry.indexOf(DataFiles::SummaryOpen);
        const qsizetype separator = entry.indexOf(DataFiles::SummarySeparator, open + 1);
        // The first entry of a reference counts.
        const QString reference = entry.mid(open + 1, separator - open - 1);
        if (open >= 0 && separator > open && !summaryKinds.contains(reference))
            summaryKinds.insert(reference, entry.mid(separator + 1).toInt());
    }
    // Each level of the path is indented one step more.
    const QString indent(3 * (selected + 1), QLatin1Char(' '));
    std::vector<Indexing::ResultsList::Row> rows;
    for (const Platform::FolderEntry& entry : Platform::listFolders(folder, u"*")) {
        const QString path = folder + QLatin1Char('/') + entry.name;
        QString name;
        QString key;
        Global::ResolveFolderName(path, name, key);
        // The kind from the parent's summary, else from the folder's own file.
        const auto known = summaryKinds.constFind(key);
        const int kind = !key.isEmpty() && known != summaryKinds.cend()
                             ? *known
                             : Routines_FileInfoFile::ReadFileInfo(infoOf(path), true).FolderID;
        if (kind != 0)
            rows.push_back({indent + name, path, kind});
        if (sinceEvents.elapsed() >= EventsEveryMs) {
            Platform::uiHost().doEvents();
            sinceEvents.restart();
        }
    }
    m_results.appendRows(std::move(rows));
}

std::optional<SearchFlow::RowPick> SearchFlow::selectedPick() const
{
    if (m_selected < 0 || m_selected >= m_results.count())
        return std::nullopt;
    const Indexing::ResultsList::Row& row = m_results.row(m_selected);
    if (Indexing::ResultsList::isDivider(row))
        return std::nullopt;
    const qsizetype mark = row.data.indexOf(QChar(1));
    return RowPick{row.display, mark < 0 ? row.data : row.data.mid(mark + 1)};
}

SearchFlow::RowPick SearchFlow::listEntry(const RowPick& row) const
{
    if (m_page != BrowsePage)
        return row;
    // A folder browsed to is kept as a search keeps it: its name without the
    // row's indentation, and its reference, so that one folder has one entry
    // however it was reached. A folder without a reference keeps its path.
    const QString reference = Global::folderReference(row.pick);
    return {row.display.trimmed(), reference.isEmpty() ? row.pick : reference};
}

void SearchFlow::pickSelected()
{
    if (m_busy)
        return;
    const std::optional<RowPick> row = selectedPick();
    if (!row)
        return;
    Global::guarded("frm_Find:list_Results_Click", [&] {
        if (row->pick.startsWith(UserPrefix)) {
            emit picked(row->pick + QChar(1) + row->display + QChar(0));
            return;
        }
        const RowPick entry = listEntry(*row);
        addPick(PickList::Recent, entry.display, entry.pick);
        emit picked(row->pick);
    });
}

void SearchFlow::setStartEnabled(bool enabled)
{
    if (enabled == m_startEnabled)
        return;
    m_startEnabled = enabled;
    emit startEnabledChanged(enabled);
}

void SearchFlow::setStatusText(const QString& text)
{
    if (text == m_status)
        return;
    m_status = text;
    emit statusTextChanged(text);
}

void SearchFlow::setRefineShown(bool shown)
{
    if (shown == m_refineShown)
        return;
    m_refineShown = shown;
    emit refineShownChanged(shown);
}

void SearchFlow::setListEnabled(bool enabled)
{
    if (enabled == m_listEnabled)
        return;
    m_listEnabled = enabled;
    emit listEnabledChanged(enabled);
}

} // namespace Finding
