// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Form-submission definitions and the job-folder scan.
namespace Linking {

// One definition of the settings branch "EMail\FormSubmissions".
struct FormSubmissionDef
{
    QString Name;
    QString Fields;
    QString Delimiter; // " =" when not stored
    QString LineEnd;   // always CR LF
};

// The definitions, in the order of the branch's listing (record 1 first).
QList<FormSubmissionDef> loadFormSubmissions();

// A definition with the name of the sub-branch that holds it.
struct StoredFormDef
{
    QString branch;
    FormSubmissionDef def;
};
QList<StoredFormDef> storedFormSubmissions();

// Stores a definition: the first one whose Name equals `name` without regard
// to case takes the name as spelt here and the parts given; otherwise a new
// sub-branch holds it, with " =" where no delimiter is given. Every value is
// written in one step. Nothing when the store refused it, after its message.
enum class FormSaved
{
    Failed,
    Added,
    Updated
};
struct FormDefParts
{
    std::optional<QString> delimiter;
    std::optional<QString> fields;
};
FormSaved saveFormSubmission(const QString& name, const FormDefParts& parts = {});

// Deletes every definition whose Name equals `name` without regard to case:
// how many there were (-1 when the store refused, after its message).
int removeFormSubmission(const QString& name);

// The delimiters a form's body lines are likely to use, in the order that
// settles a tie: " =" before "=" and ": " before ":", since the longer one
// splits only lines that the shorter one splits too.
const QStringList& candidateDelimiters();

// One row of the field list.
struct FieldRow
{
    QString fieldName; // as met in the first e-mail that held it; the row's identity
    QString sample;    // its value in that e-mail
    QString tagLink;   // the tag linked to the field, or empty
    bool operator==(const FieldRow&) const = default;
};

// One value a field had, and in how many form e-mails.
struct ValueCount
{
    QString value;
    int count = 0;
    bool operator==(const ValueCount&) const = default;
};

// How a field was used across a job folder's form e-mails.
struct FieldUse
{
    int count = 0; // the form e-mails that carry the field
    // Its distinct values, most frequent first (ties in the order met).
    QList<ValueCount> values;
};

// A form e-mail of a job folder: one whose subject a definition names.
struct FormMail
{
    QString file; // its file name in the folder
    QString subject;
    qint64 modified = 0; // the file's time, in milliseconds since 1970
};

// What a scan of a job folder found.
// The e-mails of one subject that no definition names.
struct UnknownForm
{
    QString subject; // as the first of them spells it
    int count = 0;   // e-mails whose subjects equal it without regard to case
    // The candidate delimiter that splits the most of their body lines into
    // a field name and a value (the first candidate when none splits any).
    QString delimiter;
    bool operator==(const UnknownForm&) const = default;
};

struct ScanResult
{
    int files = 0;    // "*.emi" files listed
    int notForms = 0; // of those, skipped at the flag test
    QList<FieldRow> rows;
    // The subject of each e-mail that matched no definition, in file order.
    QStringList unknown;
    // The same e-mails by subject, in the order first met.
    QList<UnknownForm> unknownForms;
    // Each field's use, by its name.
    QHash<QString, FieldUse> uses;
    // The e-mails that fill forms, the newest first (by the file's time; of
    // two of one time, the later name first).
    QList<FormMail> mails;
    int forms() const { return files - notForms; }
};

// Scans the job folder at `folder`: every "*.emi" file in case-insensitive
// alphabetical order, read with ReadEvent; a form submission (both entry
// flags set, subject matching a definition's Name without regard to case)
// adds a row for each field line of its body that the row list lacks yet.
// The e-mails whose subjects match no definition are counted by subject.
// Nothing when the folder does not exist.
// The busy pointer shows while it runs and the event queue runs between
// files.
std::optional<ScanResult> scanJobFolder(const QString& folder,
                                        const QList<FormSubmissionDef>& defs);

// The field name and value of one body line; nothing when the line does not
// hold the delimiter or the field name is empty.
struct FieldLine
{
    QString name;
    QString value;
};
std::optional<FieldLine> splitFieldLine(QStringView line, QStringView delimiter);

// The field lines of one form e-mail of a job folder, in body order (a field
// given twice keeps its first value); nothing when it cannot be read or no
// definition names its subject. Messages about an unreadable file are shown
// as the scan shows them.
std::optional<QList<FieldLine>> readFormFields(const QString& path,
                                               const QList<FormSubmissionDef>& defs);

} // namespace Linking
