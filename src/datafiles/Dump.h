// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace DataFiles {

// Every field of a data file, for `vantix dump`. The file is recognised by
// its magic; fields named by the suite appear under their names, others as
// "f" and their number within their record.
//
// JSON: {"kind": ..., "version": ..., "record": {...}}; the share file has
// "directory", "A", "B" and "users" in place of "record". Byte blocks are
// lower-case hex, dynamic arrays {"lbound": L, "items": [...]}, fixed arrays
// JSON arrays, nested records objects. The text form gives one field a line
// as its path, a colon and its value.
struct DumpOutcome
{
    // What was read (as far as it was read).
    QString output;
    // Empty when the file was read whole; else why not, for stderr.
    QString error;
};

DumpOutcome dumpDataFile(const QString& path, bool json);

// A text as a JSON string, quotes included.
QString jsonString(const QString& text);

} // namespace DataFiles
