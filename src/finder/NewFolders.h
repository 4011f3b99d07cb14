// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "index/Build.h"
#include "index/IndexTasks.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

// New company and contact folders in the new-contacts branch of the filing
// tree, made from the new-contact panel's fields (or `vantix new-contact`):
// each gets a reference, its FileInfo.inf and Profile.pro, and an index task.
//
// The fields are saved as the suite's 8-bit files hold them (savedText), and
// the folder is named from the same text, so the two always agree. A folder
// is made whole or not at all, under a claim on its parent's FileInfo.inf
// (ParentClaim) that keeps other makers and writers out:
//
//   1. the claim; unfinished folders of makers that died are removed; the
//      next free reference is worked out
//   2. the folder is made under an unfinished name (listed by no reader of
//      the tree) and its FileInfo.inf and Profile.pro written into it
//   3. the index task is queued for the folder's real name, then the folder
//      is renamed to it, with the task file held against task runs meanwhile
//   4. the parent's LastRef, HasChildFolders and summary are written
//
// A maker killed at any moment leaves no folder, or a whole one whose task
// is queued (a task whose folder never came is dropped by the run). One
// killed before step 4 leaves the LastRef behind; the next maker steps over
// the reference in use.
//
// What the panel's fields become, so that the index gathering, the finder
// and `vantix dump` read them as the demo's own folders:
//
//   Panel field          Company folder             Contact folder
//   (folder kind)        3 (C): FolderID, field 1    2 (O) inside the new
//                                                    company, else 4 (F):
//                                                    FolderID, field 1
//   company name         CoName (2), displayName    CoName (2)
//                        (13): the Name index
//   contact name         -                          FullName (4), displayName
//                                                   (13): the Name index
//   title                -                          Title (5); Dear (7) is the
//                                                   title and the name's last
//                                                   word, else the full name
//   job title (import)   -                          Position (6)
//   address lines 0-4    addresses[0]: building, road, district, town, county
//                        (town: the Name index's second line)
//   address line 5       addresses[0].postcode: the Pcode index
//   country              addresses[0].country
//                        addresses[0].inUse is true when a line or the
//                        postcode is given; both folders get the address
//   numbers, kind 1-4    contacts[0], [1]: number (the TelNum index), kind
//                        and label by the type buttons:
//                          1 telephone  TelNum    "Telephone"
//                          2 fax        FaxNum    "Fax"
//                          3 mobile     TelNum    "Mobile"
//                          4 e-mail     EMailNum  "E-mail"
//                        on the contact when one is made, else the company
//   (index flag)         field 31's index flag is on in both, so Pcode,
//                        TelNum and UD1 take their values
//
// The title's male flag has no place in the profile and is not stored.
namespace FileOperations {

// A contact number of the panel: its text and its type button, 1 to 4.
struct NewNumber
{
    QString text;
    int kind = 1;
};

// The new-contact panel's fields.
struct NewContactFields
{
    QString contactName;
    QString companyName;
    QString title;
    bool titleMale = false;
    QString position;               // the contact's job title (an import's; the panel has none)
    std::array<QString, 6> address; // lines 0 to 4, then the postcode
    QString country;
    QList<NewNumber> numbers;
};

// What a creation made. A folder whose reference is empty was not made; one
// made whose task could not be queued, or whose parent does not know of it,
// is named in `incomplete` (after the message that says what was not
// written).
struct CreatedFolders
{
    QString companyRef, contactRef;
    QString companyFolder, contactFolder;
    QStringList incomplete;
    Indexing::TaskRunReport tasks; // when the tasks were run at once
    bool tasksRun = false;
};

// The number types of the type buttons.
enum NumberType : int
{
    TelephoneNumber = 1,
    FaxNumber = 2,
    MobileNumber = 3,
    EMailNumber = 4
};

// A name made fit for a folder: each character of string 506 becomes the
// one at its place in "#-;;;--''".
QString SafeName(const QString& name);
// A filing-tree folder name: the name, a blank and the bracketed reference
// ("[ref]" alone for an empty name).
QString FolderName(const QString& name, const QString& ref);

// The title list of string 715: each item's text and whether it is a male
// title.
struct TitleItem
{
    QString text;
    bool male = false;
};
QList<TitleItem> titleItems();

// A new reference below `parent` (ParentClaim::nextReference), its number
// written back as the parent's LastRef under the claim (a parent without
// FileInfo.inf gets one). Empty when none can be given out, after the
// message that says why.
QString GetNewFolderSuggestion(const QString& parent);

// A text of the panel as the suite's files hold it: control characters
// (codes 0 to 31 and 127 to 159, and line and paragraph separators) become
// blanks, so that no line break gets into a name; then each character that
// Windows-1252 lacks is transliterated, and what has no Latin form becomes
// "?".
QString savedText(const QString& text);
// Every text of the fields by savedText, the names trimmed.
NewContactFields savedFields(const NewContactFields& fields);
// What the user is told when saving changes a name beyond blanking its
// control characters (string 944), else "": one line for each of the
// contact name and the company name that changes.
QStringList nameNotices(const NewContactFields& fields);

// The profile a new folder gets from the (saved) fields.
DataFiles::ProfileRecord newProfile(const NewContactFields& fields, qint16 kind, bool withNumbers);

// The current mode's NewContactsFolder, or "" after message 926 when it
// cannot be used.
QString usableNewContactsFolder();

// How a creation goes beyond the panel's: an import makes many contacts and
// puts those of one company into one company folder.
struct CreateOptions
{
    // A company folder made before: the contact is made inside it, as its
    // kind O, and no company folder is made.
    QString companyFolder;
    // Whether the tasks may be carried out at once (as the setting
    // runTasksAtOnce says); an import carries them out once at its end.
    bool tasksAtOnce = true;
};

// Makes the company folder (when a company name is given) and the contact
// folder (when a contact name is given, inside the company's), with their
// information files, profiles and index tasks, from the saved fields; then
// carries out the tasks when the setting runTasksAtOnce says so. Nothing is
// made, after a message, when the NewContactsFolder path cannot be used
// (926), when neither name has anything to save (716), or when a text is
// longer than a text field of the files holds (947: it would be cut).
CreatedFolders CreateQuickAndDirtyCompany(const NewContactFields& fields,
                                          const Indexing::BuildProgress& progress,
                                          const CreateOptions& options = {});

} // namespace FileOperations
