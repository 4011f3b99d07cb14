// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "finder/FindWindowRules.h"
#include "finder/FinderRemote.h"
#include "finder/Picks.h"
#include "finder/SearchFlow.h"

#include <QDialog>
#include <QHash>

#include <array>

class QAction;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QProgressBar;
class QPushButton;
class QStatusBar;
class NewContactWidget;
class PropertiesPanel;
class QToolBar;
class ResultsDelegate;

// The contact finder's window. Its state and steps are Finding::SearchFlow
// and Finding::FinderRemote; the window wires its controls to them and
// mirrors what they say. It is made once and hidden after each pick, so its
// state lasts from one display to the next; closing it from its title bar
// ends it (the next use makes it anew).
class frm_Find : public QDialog
{
    Q_OBJECT

public:
    explicit frm_Find(QWidget* parent = nullptr);

    Finding::SearchFlow& flow() { return m_flow; }
    Finding::FinderRemote& remote() { return m_remote; }

    // The controls, named as the window knows them.
    QToolBar* tbr_Main = nullptr;
    QHash<QString, QAction*> mainButtons; // by key
    QWidget* pnl_Search = nullptr;
    QWidget* pnl_Clue = nullptr;
    std::array<QLabel*, 2> lbl_CluePrompt{};
    QLineEdit* txt_Clue = nullptr;
    QLineEdit* txt_Refine = nullptr;
    QPushButton* but_Start = nullptr;
    QPushButton* but_Refine = nullptr;
    QLabel* lbl_FieldsPrompt = nullptr;
    QToolBar* tbr_Fields = nullptr;
    QListView* list_Results = nullptr;
    QStatusBar* statbar_Status = nullptr;
    QProgressBar* progbar_Progress = nullptr;
    PropertiesPanel* pnl_Properties = nullptr;
    NewContactWidget* pnl_NewContact = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Escape and the like hide the finder without a pick; its state stays.
    // With a panel shown, they cancel the panel.
    void reject() override;

private:
    void Form_Load();
    void sub_CreateMainToolbar();
    void Form_Resize();
    Finding::FindLayoutInput layoutInput() const;
    // The window's minimum size follows what it shows (Form_Resize runs it).
    void updateMinimumSize();
    void Form_Activate();
    void wireFlow();
    void wireProperties();
    void wireNewContact();
    // A panel over the search area: the toolbar and the search area are
    // disabled while it shows.
    void showPanel(QWidget* panel, bool shown);
    void centrePanels();
    void fillFieldButtons();
    void fillUsersButtons();
    QAction* addFieldAction(const QString& text);
    void fillBackMenu();
    void fillPicksMenu(QMenu* menu, Finding::PickList list);
    void choosePick(const QString& pick);
    void showResultsMenu(const QPoint& at);
    void mirrorSelection(int row);
    void mirrorStart();
    // BACK, NEW and USERS as the finder's state has them.
    void mirrorButtonStates();

    Finding::SearchFlow m_flow;
    Finding::FinderRemote m_remote{m_flow};
    QMenu* m_backMenu = nullptr;
    ResultsDelegate* m_delegate = nullptr;
    // Owns the field row's buttons of the page shown, with their group.
    QObject* m_fieldsOwner = nullptr;
};
