// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "index/Search.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace Finding {

// One button of the field row: a field of the index to look in.
struct FieldButton
{
    QString caption;  // " Name"
    qint16 field = 0; // the index number, which is also the button's place counted from 1
    bool pressed = false;
    bool operator==(const FieldButton&) const = default;
};

// The keys of the clue and refine boxes that the finder handles.
enum class ClueKey
{
    Enter,
    Escape,
    Up,
    Down,
    PageUp,
    PageDown
};

// The finder's search pages without widgets: the page, the field buttons
// with their stored selections, the clue and the search history, the search
// and its results, refine, the selected row and the pick. The window
// forwards its controls' events here and mirrors the signals; tests drive it
// alone. The state lasts as long as the object: the finder is hidden between
// displays, never made anew.
class SearchFlow : public QObject
{
    Q_OBJECT

public:
    static inline const QString SimplePage = QStringLiteral("SIMPLE");
    static inline const QString AdvancedPage = QStringLiteral("ADVANCED");
    static inline const QString ContentPage = QStringLiteral("CONTENT");
    static inline const QString UsersPage = QStringLiteral("USERS");
    static inline const QString BrowsePage = QStringLiteral("BROWSE");
    // The browse page's picture of the filing folder's row (the folder kinds
    // are 1 to 5).
    static constexpr int FilingImage = 6;

    // The selected row as a pick: its display text and the value after the
    // first character 1 of its data text.
    struct RowPick
    {
        QString display;
        QString pick;
    };

    explicit SearchFlow(QObject* parent = nullptr);

    Indexing::ResultsList& results() { return m_results; }
    const Indexing::ResultsList& results() const { return m_results; }
    QString currentPage() const { return m_page; }
    bool simpleMode() const { return m_simple; }
    const QList<FieldButton>& fieldButtons() const { return m_buttons; }
    // The image a field button shows: "RY"/"RN" in simple search, "TY"/"TN"
    // in advanced.
    QString fieldImage(int button) const;
    QString clue() const { return m_clue; }
    // Start is on while the clue is not empty, and off after a search until
    // the clue changes.
    bool startEnabled() const { return m_startEnabled; }
    // The clue row takes input on the search pages, not on BROWSE or USERS.
    bool clueEnabled() const { return m_page != BrowsePage && m_page != UsersPage; }
    // The list's display switches (its matching-text and float-over
    // highlights): off on BROWSE, and on USERS while Many is pressed.
    bool displaySwitches() const
    {
        return m_page != BrowsePage && !(m_page == UsersPage && m_usersMany);
    }
    QString refineText() const { return m_refineText; }
    bool refineEnabled() const { return m_refineEnabled; }
    bool refineShown() const { return m_refineShown; }
    // The BACK button's menu, newest first, and whether the button is on.
    QStringList backMenu() const;
    bool backEnabled() const { return backMenu().size() > 0; }
    QString statusText() const { return m_status; }
    // A status of another step of the finder (its Rebuild's), shown until
    // the next search.
    void showStatus(const QString& text) { setStatusText(text); }
    bool listEnabled() const { return m_listEnabled; }
    int selectedRow() const { return m_selected; }
    // What the next search looks for: kinds N, O, C and F (RemoteOp 1091),
    // and a field list that the next search uses in place of the buttons
    // (RemoteOp 1127).
    std::array<bool, 4> typeFlags() const { return m_typeFlags; }
    void setTypeFlags(std::array<bool, 4> flags) { m_typeFlags = flags; }
    void presetFields(QList<qint16> fields) { m_presetFields = std::move(fields); }
    // The next Enter searches again (the window's close request).
    void forgetLastClue() { m_lastClue.clear(); }
    // The selected row's pick; nothing without a row or on the divider.
    std::optional<RowPick> selectedPick() const;
    // A row's pick as the favourites and recent picks keep it.
    RowPick listEntry(const RowPick& row) const;

    // The USERS page: its field row (string 927: the prompt, One and Many,
    // which choose single or multiple selection, and All; then OK, string
    // 400), whether Many is pressed (OK is on only then) and the users
    // listed from the share file.
    struct UsersRow
    {
        QString prompt;
        QString one;
        QString many;
        QString all;
        QString ok;
    };
    static UsersRow usersRow();
    bool usersMany() const { return m_usersMany; }

public slots:
    // A page button of the toolbar: SIMPLE, ADVANCED, CONTENT, BROWSE or
    // USERS (whose list of users is still to come).
    void pageClicked(const QString& page);
    // A field button clicked on a search page: its selection is stored (as
    // field numbers). Elsewhere the buttons choose nothing.
    void fieldButtonClicked(int button);
    // The clue box's text changed.
    void setClue(const QString& clue);
    // A key in the clue (or refine) box; true when the key is swallowed.
    bool clueKey(ClueKey key);
    bool refineKey(ClueKey key);
    // Start: DoSearch, except on the CONTENT page.
    void start();
    // DoSearch with the clue box's text.
    void doSearch();
    // A click on the progress bar: the search running stops between records,
    // keeping the rows found.
    void interruptSearch() { m_stopRequested = true; }
    // True while a search or a folder listing runs: the window keeps
    // painting, and every other step waits for it to end.
    bool busy() const { return m_busy > 0; }
    // BACK: the previous clue of the history, searched again.
    void back();
    // A clue of the BACK menu: searched again.
    void backMenuChosen(const QString& clue);
    // The refine box's text changed; Refine.
    void setRefineText(const QString& text);
    void refine();
    // The user selected a row (-1 for none).
    void selectRow(int row);
    // The pick of the selected row (a click or Enter): nothing for a divider
    // or no row; a folder is recorded as a recent pick.
    void pickSelected();
    // A click on a row: selects it and picks it, except on BROWSE, where only
    // an activation counts: on its picture (part 1) it picks the row, on its
    // text (part 2) it lists the row's folder.
    void rowClicked(int row);
    void rowActivated(int row, int part);
    // BrowseFolder: the rows down to the selected one are the path from the
    // filing folder to the folder opened; its sub-folders follow them under
    // a divider, each indented by its depth.
    void browseFolder(const QString& folder);
    // One or Many on the USERS page; the rows chosen in Many; OK hands back
    // the chosen users, All every user listed.
    void setUsersMany(bool many);
    void setChosenRows(const QList<int>& rows);
    void usersOk();
    void usersAll();

signals:
    void fieldButtonsChanged();
    // The page button that a page click (or RemoteOp 1091) pressed: the
    // toolbar shows it pressed.
    void pageButtonPressed(const QString& button);
    void clueChanged(const QString& clue);
    void startEnabledChanged(bool enabled);
    void statusTextChanged(const QString& text);
    void refineShownChanged(bool shown);
    void listEnabledChanged(bool enabled);
    void selectedRowChanged(int row);
    void historyChanged();
    // The clue box selects its whole text (after a search), or the refine box
    // its text and takes the focus (after a refine).
    void clueSelectAll();
    void clueEnabledChanged(bool enabled);
    void usersManyChanged(bool many);
    void refineSelectAll();
    // The search's progress bar: shown at 0, its value, hidden after.
    void progressShown(bool shown);
    void progressChanged(int percent);
    // The user picked: the finder hides and hands PickText to its caller.
    void picked(const QString& pickText);

private:
    void buildFieldButtons();
    void storeFieldSelection() const;
    void showPage(const QString& key);
    // Start follows the clue: on while the clue is not empty.
    void clueChangeHandling();
    void setStartEnabled(bool enabled);
    void setStatusText(const QString& text);
    void setRefineShown(bool shown);
    void setListEnabled(bool enabled);
    // Up and Down without a selected row in simple search: the previous or
    // next field button is pressed, nothing else.
    void pressFieldButton(int step);
    bool listKey(ClueKey key);
    void fillUsersPage();
    // PickText of users: each row's value, the character 1, its text and the
    // character 0.
    void pickUsers(const QList<int>& rows);

    Indexing::ResultsList m_results;
    QString m_page;
    bool m_simple = true;
    QList<FieldButton> m_buttons;
    int m_currentButton = -1;
    QString m_clue;
    bool m_startEnabled = false;
    QString m_lastClue;
    QStringList m_history;
    int m_historyAt = -1;
    QString m_refineText;
    QString m_rememberedRefine;
    bool m_refineEnabled = false;
    bool m_refineShown = false;
    QString m_status;
    bool m_listEnabled = false;
    int m_selected = -1;
    qint32 m_hits = 0;
    std::array<bool, 4> m_typeFlags{true, true, true, true};
    std::optional<QList<qint16>> m_presetFields;
    bool m_usersMany = false;
    bool m_stopRequested = false;
    int m_busy = 0;
    struct Busy
    {
        explicit Busy(SearchFlow& flow) : flow(flow) { ++flow.m_busy; }
        ~Busy() { --flow.m_busy; }
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;
        SearchFlow& flow;
    };
    QList<int> m_chosenRows;
};

} // namespace Finding
