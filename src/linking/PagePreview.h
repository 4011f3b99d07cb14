// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "linking/FilledPages.h"
#include "linking/Filling.h"
#include "linking/FormSubmissions.h"
#include "linking/TagStates.h"
#include "platform/UiHost.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <optional>

namespace Linking {

// What the preview window shows, without a widget: a target document filled
// from one form e-mail of the job folder, which the user picks from the
// folder's form e-mails (the newest first). The filled page is written only
// when the user saves it, and never over the document.
class PagePreview : public QObject
{
    Q_OBJECT

public:
    // `path` the document's full path and `document` its bytes,
    // `displayName` the name that keys its links, `folder` the job folder and
    // `mails` its form e-mails as the scan found them.
    PagePreview(QString path, QByteArray document, QString displayName, QString folder,
                QList<FormMail> mails, QList<FormSubmissionDef> defs, QObject* parent = nullptr);

    const QString& documentPath() const { return m_path; }
    const QString& displayName() const { return m_displayName; }
    const QList<FormMail>& mails() const { return m_mails; }
    // Each form e-mail as the list shows it (string 9334): its time, subject
    // and file name.
    QStringList mailTexts() const;
    int current() const { return m_current; }

    // Fills the page from form e-mail `index`. False, and the page kept as
    // it was, when the e-mail cannot be read.
    bool choose(int index);

    const FilledDocument& filled() const { return m_filled; }
    // The filled page's text, as the Source tab shows it.
    const QString& sourceText() const { return m_sourceText; }
    // The tags the filling left in the page: not linked, or linked to a
    // field that the e-mail does not carry (positions in sourceText).
    const TagMarks& marks() const { return m_marks; }
    // The page to render: the filled page with each tag left in it shown as
    // its text on the background of its state, so that it can be seen.
    const QString& pageHtml() const { return m_pageHtml; }

    // The save dialog's request (string 9341): the filled page offered as
    // "<name> (filled).<extension>" (9342) in the document's folder.
    Platform::FileRequest saveRequest() const;
    // Writes the filled page, the bytes of filled() in the document's own
    // encoding, whole to `path` (a temporary file renamed over it). The
    // document itself, by whatever name or link the path reaches it, is
    // refused with a message (9343); a write that fails is told (9344).
    // True once written.
    bool saveAs(const QString& path) const;

    // Fill all...: a page from each form e-mail saved in `out` (the mode's
    // Mail-Merged folder in the window) as saveFilledPages saves them, with
    // `step` after each. First asks (9394) whether pages that are there
    // already are replaced, left alone, or nothing is done; at the end the
    // summary (9395) tells what became of them. Without a folder, message
    // 9392. Nothing when nothing was filled (no folder, or Cancel).
    std::optional<QList<SavedPage>> fillAll(const QString& out, const PageStep& step = {});

signals:
    void filledChanged();

private:
    QString m_path;
    QByteArray m_document;
    QString m_displayName;
    QString m_folder;
    QList<FormMail> m_mails;
    QList<FormSubmissionDef> m_defs;
    int m_current = -1;
    FilledDocument m_filled;
    QString m_sourceText;
    TagMarks m_marks;
    QString m_pageHtml;
};

} // namespace Linking
