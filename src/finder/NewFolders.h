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
    std::array<QString, 6> address; // lines 0 to 4, then the postcode
    QString country;
    QList<NewNumber> numbers;
};

// What a creation made. A folder whose reference is empty was not made; one
// made but left incomplete is named with what it lacks in `incomplete`
// (after the message that says so).
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

// A new reference below `parent`: its LastRef (from its FileInfo.inf) raised
// by one, and further while a folder of that reference exists, prefixed by
// the parent's own reference (when it has one that is not 0) and a hyphen;
// the LastRef given out is written back. A parent without FileInfo.inf
// counts on from the highest number of its sub-folders' references. Empty
// when none can be given out (the LastRef could not be written).
QString GetNewFolderSuggestion(const QString& parent);

// The profile a new folder gets from the panel's fields.
DataFiles::ProfileRecord newProfile(const NewContactFields& fields, qint16 kind, bool withNumbers);

// Makes the company folder (when a company name is given) and the contact
// folder (when a contact name is given, inside the company's), with their
// information files, profiles and index tasks, then carries out the tasks
// when the setting runTasksAtOnce says so. Message 926 when the
// NewContactsFolder path cannot be used.
CreatedFolders CreateQuickAndDirtyCompany(const NewContactFields& fields,
                                          const Indexing::BuildProgress& progress);

} // namespace FileOperations
