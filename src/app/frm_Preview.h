// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TagMarkSelections.h"
#include "linking/PagePreview.h"

#include <QWidget>

#include <memory>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTextBrowser;
class QTextDocument;

// The preview: the target document as one form e-mail of the job folder
// fills it, rendered, with its source on a second tab. The state and the
// filling live in Linking::PagePreview; the window mirrors them.
class frm_Preview : public QWidget
{
    Q_OBJECT

public:
    explicit frm_Preview(std::unique_ptr<Linking::PagePreview> preview, QWidget* parent = nullptr);

    // The preview of the document at `path` (whose links `displayName`
    // keys) filled from the newest of the job folder's form e-mails that can
    // be read, shown; nothing, after saying why, without a document or form
    // e-mails, or when the document cannot be read.
    static frm_Preview* showFor(const QString& path, const QString& displayName,
                                const QString& folder, const QList<Linking::FormMail>& mails,
                                const QList<Linking::FormSubmissionDef>& defs, QWidget* parent);

    Linking::PagePreview& preview() { return *m_preview; }
    // True once the page of the e-mail chosen last shows rendered.
    bool pageShown() const { return m_rendering == 0; }
    // Asks where to save the filled page and saves it there.
    void but_Save_Click();
    // Saves a page filled from each form e-mail in the mode's Mail-Merged
    // folder, with a progress dialog that can stop it.
    void but_FillAll_Click();

    QLabel* lbl_Mail = nullptr;
    QComboBox* cbo_Mail = nullptr;
    QPushButton* but_Save = nullptr; // "Save as...", also Ctrl+S
    QPushButton* but_FillAll = nullptr;
    QTabWidget* tab_View = nullptr;
    QTextBrowser* txt_Page = nullptr;
    QPlainTextEdit* txt_Source = nullptr;

signals:
    // The page of the e-mail chosen last shows rendered, in part (the
    // beginning of a long page) or whole.
    void pageBegun();
    // The page of the e-mail chosen last shows rendered, whole.
    void pageRendered();

private:
    void showFilled();
    // Reads the filled page into a document on a worker thread, so that a
    // long page does not hold the window up, and shows it when it is read
    // (unless another e-mail was chosen in the meantime); of a long page,
    // its beginning is read and shown first. The worker only reads: the
    // document gets its layout, and meets fonts, when the browser shows it.
    void renderPage();
    // Shows a page read (the whole page, or its beginning).
    void showPage(QTextDocument* page, bool whole);

    std::unique_ptr<Linking::PagePreview> m_preview;
    App::TagMarkSelections* m_marks = nullptr;
    int m_rendering = 0; // the number of the render under way, 0 when none
    int m_renders = 0;
};
