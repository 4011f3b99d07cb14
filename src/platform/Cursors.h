// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCursor>

namespace Platform {

// The Qt shape of a standard pointer number (0 to 15).
Qt::CursorShape cursorShape(int pointer);
// The cursor for a pointer number: a standard pointer, or for 20 and above
// the program's own cursor "CUR_" followed by the number.
QCursor cursorFor(int pointer);

} // namespace Platform
