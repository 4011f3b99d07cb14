// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "linking/FormSubmissions.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// Every form e-mail of a job folder filling one target document: a filled
// page for each, saved in a folder of its own (the mode's Mail-Merged
// folder unless another is named). Neither the document nor a page that is
// there already is ever written over, unless the caller says so for the
// pages.
namespace Linking {

// The document and the e-mails that fill it.
struct PageSource
{
    QString documentPath;
    QByteArray document;
    QString displayName; // keys the document's links
    QString folder;      // the job folder
    QList<FormMail> mails;
    QList<FormSubmissionDef> defs;
};

// What became of one e-mail's page.
struct SavedPage
{
    enum Outcome
    {
        Saved,
        LeftAlone, // a file of its name was there already
        NotFilled, // `why` says why
    };
    QString mail; // the e-mail's file name in the job folder
    QString path; // the page's path
    Outcome outcome = NotFilled;
    QString why;
};

// The name of the page that an e-mail fills (string 9390): the e-mail's file
// name without its extension, then the document's name in brackets and its
// extension, so that the pages of several documents can share a folder.
QString filledPageName(const QString& documentPath, const QString& mailFile);
// The page of each e-mail in `out`, in the order of the e-mails; a file
// there already is found whatever the case of its name.
QStringList filledPagePaths(const PageSource& source, const QString& out);

// The folder that the pages go to when none is named: the mode's Mail-Merged
// folder, or "" when the mode has none.
QString defaultPagesFolder();

// Called after each e-mail with what became of its page and how many are
// done; false stops the filling there.
using PageStep = std::function<bool(const SavedPage& page, int done)>;

// Fills and saves a page for each e-mail in turn into `out` (made when it
// is missing), each written whole (a temporary file renamed over it). A
// page that is there already is left alone unless `replace`; the document
// itself is never written, whatever name or link reaches it. An e-mail that
// cannot be read, or a page that cannot be written, is told in its page's
// `why` and the others go on. Nothing, after message 9398, when the folder
// cannot be made.
std::optional<QList<SavedPage>> saveFilledPages(const PageSource& source, const QString& out,
                                                bool replace, const PageStep& step = {});

// Whether writing `target` would write over `document`: the same entry by
// any link or path, or its very path while the document is gone.
bool reachesDocument(const QString& target, const QString& document);

} // namespace Linking
