// SPDX-License-Identifier: GPL-3.0-or-later
// The registry's own text format (REGEDIT4) for the hive's import and export: reading a text
// into the steps that an import applies, and writing names and values as the text quotes them.
#pragma once

#include <QString>

#include <vector>

namespace Platform::Hive {

enum class ImportAction
{
    CreateKey,
    DeleteKey,
    SetValue,
    DeleteValue
};

struct ImportStep
{
    ImportAction action;
    QString keyPath;
    QString name;
    QString data;
};

// The steps of a REGEDIT4 text whose sections begin with `sectionRoot`, in their order. Throws
// HiveError naming the first bad line, so that nothing is applied of a text with one.
std::vector<ImportStep> parseRegistryText(QStringView text, const QString& sectionRoot);

// Appends the name or the value as the text writes it: in double quotes, with the escapes that
// the parser reads back.
void appendQuoted(QString& out, QStringView text);

} // namespace Platform::Hive
