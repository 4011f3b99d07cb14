// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace Platform {

// Names compare as the suite compares them: without regard to case, each
// character folded to upper case by itself, so that a folded text keeps its
// length ("ß" stays "ß"). Characters beyond the BMP fold as whole code points.
QString foldCase(QStringView text);
int compareNoCase(QStringView a, QStringView b);
// The same one-for-one mapping to lower case.
QString lowerChars(QStringView text);

// The value of a hexadecimal digit, or -1.
int hexDigitValue(QChar c);

} // namespace Platform
