// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Formatting.h"

#include <QFont>

// What only a GUI application can tell: which fonts are installed and how wide
// a text is in one. The rest of Global needs neither, so that the command line
// runs without loading Qt Gui.
namespace Global {

// Lets KwFontExists ask the font database (families compare without regard to
// case). Needs a GUI application.
void useFontDatabase();

// The width of a text in `font` (the program's font when left out), in twips.
TextWidth widthIn(const QFont& font = QFont());

} // namespace Global
