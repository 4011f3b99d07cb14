// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "MainLayout.h"
#include "TagMarkSelections.h"
#include "linking/FormSubmissions.h"
#include "linking/SourceText.h"
#include "linking/TagLinker.h"

#include <QHash>
#include <QIcon>
#include <QPointer>
#include <QVariant>
#include <QWidget>

#include <array>

class QAction;
class frm_Find;
class frm_MatchTags;
class frm_Preview;
namespace App {
class UnknownFormBar;
}
namespace Linking {
class MailImportRun;
}
class QLabel;
class QLineEdit;
class QListWidget;
class QMenuBar;
class QPlainTextEdit;
class QProgressDialog;
class QPushButton;
class QRadioButton;
class QSplitter;
class QStatusBar;
class QTextDocument;
class QToolBar;

// The main window: the job folder and the target document, the field rows
// of the folder's form submissions, the document's source, and the link
// row. The link logic lives in Linking::TagLinker; the window wires it to
// its controls.
class frm_Tagmill : public QWidget
{
    Q_OBJECT

public:
    explicit frm_Tagmill(QWidget* parent = nullptr);
    ~frm_Tagmill() override;

    // Start-up: checks the paths (throws Platform::ProgramEnd when one is
    // unusable), reads the definitions, builds the toolbar, shows the window
    // and reopens the last document and job folder.
    void Form_Load();
    // Other windows drive this one through here: 1098 switches the toolbar's
    // tool tips, 2261 takes the finder's pick as the job folder.
    void RemoteOp(int operation, const QVariant& param1, const QVariant& param2 = QVariant());

    // The contact finder prepared for the job folder and shown (made at its
    // first use): its pick becomes the job folder.
    frm_Find* showFinder();
    // The preview of the document filled from the job folder's newest form
    // e-mail; nothing (after saying why) without a document or form e-mails.
    frm_Preview* showPreview();
    // Link matching tags: the dialog of the pairs to link, shown window-modal
    // (its OK links the ticked ones); nothing, after saying so, when there
    // are none.
    frm_MatchTags* showMatchDialog();
    // The job folder becomes `path` as it stands: shown, stored as the last
    // folder, scanned.
    void setJobFolder(const QString& path);
    // `path` is opened as if the open dialog had given it.
    void openDocument(const QString& path);
    // Import e-mails...: asks for .eml files, an mbox or a Maildir and
    // imports them; without a job folder it says so and asks nothing else.
    void importMails();
    // Imports `sources` into the job folder on a worker, showing progress
    // (with Stop) while it runs; at the end the folder is scanned again and
    // a summary tells what became of the e-mails. False when nothing was
    // started: no job folder (after saying so), or a step is running.
    bool importMailSources(const QStringList& sources);
    const Linking::MailImportRun& mailImport() const { return *m_mailImport; }

    // The window's state as the controls show it, for tests and scripts.
    QString folderPath() const;
    QString documentPath() const;
    const Linking::TagLinker& linker() const { return m_linker; }
    // True while a long step (a scan, a load, an import) runs.
    bool isBusy() const;

    // The controls, named as the window knows them.
    QMenuBar* mnu_Main = nullptr;
    QToolBar* tbr_Main = nullptr;
    QHash<QString, QIcon> imglist_ToolbarSmall;
    std::array<QLabel*, 4> lbl_Prompt{};
    QLineEdit* txt_Folder = nullptr;
    QLineEdit* txt_Document = nullptr;
    QSplitter* split_Main = nullptr;
    QWidget* pnl_Fields = nullptr; // the field list with the bar above it
    App::UnknownFormBar* bar_UnknownForm = nullptr;
    QListWidget* list_Fields = nullptr;
    QPlainTextEdit* rtf_Source = nullptr;
    QWidget* pnl_Tags = nullptr; // the tags pane, beside the source
    QWidget* pnl_Link = nullptr;
    std::array<QLineEdit*, 2> txt_Link{};
    std::array<QRadioButton*, 2> opt_Link{};
    QPushButton* but_Link = nullptr;
    QPushButton* but_UnLink = nullptr;
    QStatusBar* statbar_Status = nullptr;
    QLabel* lbl_TagCounts = nullptr; // the status bar's count of tags by state

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    class BusyWindow;
    struct ToolbarButton
    {
        QString key;
        QString description;
        QAction* action = nullptr;
    };

    void createControls();
    void wireLinker();
    App::LayoutInput layoutInput() const;
    void Form_Resize();
    void txt_Folder_Click();
    void txt_Document_Click();
    void tbr_Main_ButtonClick(const QString& key);
    void sub_CreateToolbar();
    void createMenuBar();
    int topRowTop() const;
    bool sub_LoadSource(const QString& fileName);
    void sub_ScanJobFolder();
    void showJobFolder(const QString& path);
    void showSource(const QString& text, QTextDocument* document);
    void sourceSelectionChanged();
    void selectInSource(Linking::Selection selection);
    void fillRows();
    void showRow(int row);
    void showTagCounts();
    void restoreWindowState();
    void saveWindowState();
    void mailImportEnded();

    Linking::TagLinker m_linker;
    QList<Linking::FormSubmissionDef> m_formSubmissions;
    Linking::SourceMap m_sourceMap;
    QList<ToolbarButton> m_toolbarButtons;
    Linking::Selection m_reportedSelection;
    QPointer<frm_Find> m_finder;
    QPointer<frm_Preview> m_preview;
    QPointer<frm_MatchTags> m_matchDialog;
    App::TagMarkSelections* m_tagMarks = nullptr; // the source view's
    Linking::MailImportRun* m_mailImport = nullptr;
    QPointer<QProgressDialog> m_importProgress;
    int m_pointerBeforeImport = 0;
    int m_busy = 0;
    bool m_closeRequested = false;
    bool m_rowJustChanged = false;
    bool m_settingSelection = false;
    bool m_releasingInSource = false; // the source view handles a click's release
};
