// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Start-up values, the suite's required paths, the data folders of the
// current mode, and the folder names of the filing tree ("Name [12-3]").
namespace Global {

// The values worked out once at start-up. Paths have no trailing separator.
struct StartupValues
{
    QString lineEnd;  // CR LF
    QString language; // string 10
    QString runFrom;  // "Config" "RunFrom", default this program's folder
    int tweakBroadcastMsg = 0;
    int wakeUpBroadcastMsg = 0;
    int callerIdBroadcastMsg = 0;
    int dialMsg = 0;
    QString fileNameChars;      // string 506
    QString fileNameCharsBlank; // string 526
};
// Fills the start-up values. The rich-text and HTML head and tail are not
// built here: they belong to the converters, which this library does not
// link. Routines_Converters builds them from the string table on first use;
// a program that wants them ready at start-up calls
// Routines_Converters::buildDocumentTexts() right after InitGlobals.
void InitGlobals();
const StartupValues& startupValues();
// Drops a trailing "/Wizards" (any case) from the run-from folder, so a copy
// started from the suite's wizards folder works from the program folder.
void dropWizardsFolder();

// The paths CheckPaths found usable, without a trailing separator.
struct CheckedPaths
{
    QString indexFolder;
    QString sharedFolder;
    QString shareFile; // the shared folder's "Shared.bin"
    QString usersFolder;
    QString userFolder; // the user's own folder
    QString radsFolder;
};
// Returns when every required path of the current mode is usable; otherwise
// shows the message that names the missing one and throws
// Platform::ProgramEnd.
void CheckPaths();
const CheckedPaths& checkedPaths();

// The path of a folder setting of the current mode ("FilingFolder", ...),
// read once and cached; Reload reads the settings again and gives "".
QString GetDataFolder(const QString& settingName, bool reload = false);

// Splits a folder path into its display name and reference:
// ".../Acme [12]/Smith [12-3]" gives "Smith" and "12-3".
void ResolveFolderName(QString path, QString& name, QString& ref);
// The reference of a filing-tree folder ("Smith [12-3]" gives "12-3"), or ""
// for a folder whose name carries none.
QString folderReference(const QString& path);
// The name of the sub-folder of `parent` whose name ends with "[" ref "]",
// or "". Both empty: reads the mode's "Local" switch again and gives "".
QString FindFolderByRef(const QString& parent, const QString& ref);
// The full path of the filing-tree folder of a reference (or `ref` itself
// when it is a usable path), or "".
QString ResolveFolderRef(const QString& ref,
                         const QString& settingName = QStringLiteral("FilingFolder"));
// True when a folder can be created at `path`, possibly after shortening its
// last part with the user's consent (then `path` is changed).
bool FitFolderPath(QString& path);

} // namespace Global
