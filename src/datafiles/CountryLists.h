// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The one entry to the country lists of the settings and to the international
// database: PlaceFromAreaCode.

#include "InternationalFile.h"

#include <QString>
#include <QVariant>

namespace FileOperations {

// A list or combo control as PlaceFromAreaCode fills it; each window adapts
// its own control.
class ListTarget
{
public:
    virtual ~ListTarget() = default;
    // Adds a row at the end; `data` is the row's item data.
    virtual void addItem(const QString& text, qint64 data) = 0;
    virtual void clear() = 0;
    // The first column ends at `pixels` from the row's left edge: a tab in a
    // row's text steps there.
    virtual void setTabStop(int pixels) = 0;
};

// The target argument: the control that the fill commands fill, or the
// value whose numeric value is the reference number of "COUNTRYREF".
struct PlaceTarget
{
    ListTarget* list = nullptr;
    QVariant value;

    PlaceTarget() = default;
    PlaceTarget(ListTarget& target) : list(&target) {}
    PlaceTarget(QVariant number) : value(std::move(number)) {}
};

// What PlaceFromAreaCode did.
struct PlaceOutcome
{
    // False when the database could not be opened (after its message) or a
    // fault was reported.
    bool done = false;
    // The look-up: 0 when Result is the number's place, else
    // DataFiles::NotExactLocale or DataFiles::UnknownAreaCode, the string
    // that says why; shown by no box, so that the caller can show it where
    // it fits.
    int message = 0;
    // The look-up: the country as the database names it, or empty when the
    // database has no such country (then the message is UnknownAreaCode).
    QString country;
};

// Commands:
//
//   "FILLCOUNTRIES"     adds each value name of the settings branch
//                       Config\Countries to Target's list in the listing's
//                       order (item data 0); needs no database.
//   "FILLCOUNTRYCODES"  clears Target's list and fills it with the rows of
//                       DataFiles::countryCodeRows (item data the country's
//                       reference number), its tab stop at the database's
//                       code column width x 10 pixels.
//   "COUNTRYREF"        Result = the name of the country whose reference
//                       number is the numeric value of Target's value; a
//                       number that no country has is a fault
//                       ("Subscript out of range").
//   "CLOSE"             forgets the database; the next command that needs
//                       it reads the file again. Closing a closed database
//                       does nothing.
//   anything else       the area-code look-up (DataFiles::lookUpAreaCode):
//                       Command is the number or area code, Country the
//                       country (empty: the setting Config LocalCountry, else
//                       "United Kingdom"). Result = the place; Command = the
//                       area code that matched, or empty.
//
// Every command but "FILLCOUNTRIES" and "CLOSE" opens the database when it is
// not open: the file "International.bin" of the shared folder, read whole
// and kept until "CLOSE" (messages 719 and 701; see readInternationalFile).
// Faults are reported as "FileOperations:PlaceFromAreaCode  Error:".
PlaceOutcome PlaceFromAreaCode(const PlaceTarget& Target, QString& Command, QString& Result,
                               const QString& Country = QString());

// The database's path: the one set, else "International.bin" in the shared
// folder that the start-up check settled (Global::checkedPaths).
QString internationalFilePath();
// Sets the path (tests, commands); empty goes back to the shared folder's.
// The open database is closed.
void setInternationalFilePath(const QString& path);

} // namespace FileOperations
