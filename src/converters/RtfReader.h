// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QTextDocument;

namespace Routines_Converters {

// The text as a rich-text control shows it: \par, \line, \page and \row end a
// line with CR LF, \cell gives a tab, line ends in the RTF source give nothing.
// A text that does not begin with "{\rtf" is plain text and comes back as it is.
QString rtfToPlainText(const QString& rtf);
// Clears the document and fills it with the text and its character formats
// (bold, italic, underline, font family, size, colour). Text documents need
// Qt Gui: this one is in vantix_converters_gui.
void rtfToDocument(const QString& rtf, QTextDocument& document);

} // namespace Routines_Converters
