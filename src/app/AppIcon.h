// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>

// Tagmill's icon as compiled into the program, in every size that was drawn:
// the window icon of every window, whatever the desktop's icon theme holds.
QIcon tagmillIcon();
