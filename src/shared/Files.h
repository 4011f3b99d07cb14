// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/File.h"

#include <QPoint>
#include <QSize>
#include <QString>

namespace Global {

// Shows the busy pointer (arrow and hourglass), lets the event queue run once
// and gives back the pointer that was showing, for the caller to put back.
int BusyPointer();

// Shows the busy pointer for the life of a scope and then puts back the one
// that was showing.
class BusyPointerScope
{
public:
    BusyPointerScope() : m_previous(BusyPointer()) {}
    ~BusyPointerScope();
    BusyPointerScope(const BusyPointerScope&) = delete;
    BusyPointerScope& operator=(const BusyPointerScope&) = delete;

private:
    int m_previous;
};

// Where a window of `size` (pixels) goes when placed at the mouse pointer:
// Mode 0 centred on it, 1 with its top-left corner there, 2 centred across
// with its top there; then moved back onto the screen, keeping 500 twips
// from the right and bottom edges.
QPoint PositionAtCursor(QSize size, int mode = 0);

// True when the file can be opened for reading.
bool FileExists(const QString& path);
// True when the folder exists and can be entered.
bool FolderExists(const QString& path);

// Creates every missing folder of `path`. Unless `check` is false, the path
// first passes FitFolderPath, which may shorten it (with the user's consent)
// or refuse it. Message 121 when `report` is on and a folder cannot be made.
bool MakePath(QString& path, bool report = false, bool check = true);
bool MakePath(const QString& path, bool report = false, bool check = true);

// Copies a file over `target` (replacing it whole, never leaving half of
// it), with the retry dialogue; true when done.
bool CopyFile(const QString& source, const QString& target, bool detail = false);
// Deletes a file, with the retry dialogue; true when it is gone.
bool DeleteFile(const QString& path, bool detail = false);
// Opens a file in one of the suite's modes (see Platform::File), with the
// retry dialogue; a file that is not open when the user cancels.
Platform::File OpenFile(const QString& path, int mode);

} // namespace Global
