// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "People.h"
#include "Random.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <span>

namespace Demo {

// A web form of the demo: its form-submission definition (kept in the
// settings) and the reply page whose comment tags take its fields.
struct FormDefinition
{
    QString branch;    // the sub-branch of EMail\FormSubmissions
    QString name;      // the subject its e-mails carry
    QString delimiter; // what is stored; empty: not stored, so " =" applies
    QStringList fields;
    QString templateFile;

    QString effectiveDelimiter() const
    {
        return delimiter.isEmpty() ? QStringLiteral(" =") : delimiter;
    }
};
std::span<const FormDefinition> formDefinitions();

// The subject of a form that no definition names.
inline const QString UnknownFormName = QStringLiteral("Newsletter Signup");

// The kinds of e-mail a job folder holds, in the order of the first job
// folder; further folders start the cycle elsewhere.
enum class MailKind
{
    Enquiry,          // form 1, the suite's own RTF
    Brochure,         // form 2
    Quote,            // form 3
    RichTextBrochure, // form 2, written as a rich-text control writes RTF
    UnknownForm,      // a form no definition names
    Ordinary,         // a plain e-mail; its entry flags are 0
    EnquiryOtherCase, // form 1 with its subject in capitals and one field more
    QuoteFlagsOff,    // form 3's subject, entry flags 0: not a submission
};
constexpr int MailKinds = 8;

struct DemoMail
{
    QString subject;
    QString body; // RTF
    bool entryFlags = false;
};

DemoMail makeMail(MailKind kind, const Party& sender, Random& random);

// RTF as the suite's own text converter writes it: its document head, the
// backslashes and braces escaped, each line ended by "\par" and CR LF.
QString suiteRtf(const QStringList& lines);
// RTF as a rich-text control saves it: code page and font table, \viewkind4,
// \uc1, \pard, characters beyond ASCII as \'hh (or \uN? outside the code
// page) and "\par" with CR LF after each line.
QString richTextControlRtf(const QStringList& lines);

// The reply page of a form, with a comment tag for each of its fields
// (the last one spread over several lines) and one comment that holds ">"
// before its end. CR LF line ends, UTF-8.
QByteArray replyPage(const FormDefinition& form);

} // namespace Demo
