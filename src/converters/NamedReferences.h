// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace Routines_Converters {

// The named character references both HTML converters resolve, as one
// replacement table for Global::KwReplace: "&nbsp;", "&amp;", "&quot;",
// "&lt;", "&gt;", "&copy;", "&reg;" (then "&pound;" when `withPound`), then
// the Latin-1 letters from "&Agrave;" to "&yuml;" (no multiplication and no
// division sign).
const QString& namedReferenceTable(bool withPound);

} // namespace Routines_Converters
