// SPDX-License-Identifier: GPL-3.0-or-later
#include "FormSubmissions.h"

#include "converters/RtfReader.h"
#include "datafiles/EventFile.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/UiHost.h"
#include "shared/Files.h"
#include "shared/Messages.h"
#include "shared/Settings.h"

#include <QSet>

namespace Linking {
namespace {

const QString DefinitionsBranch = QStringLiteral("EMail\\FormSubmissions");
const QString DefaultDelimiter = QStringLiteral(" =");
const QString CrLf = QStringLiteral("\r\n");

QString readText(const QString& section, const QString& name, const QString& fallback)
{
    return Global::GetRegistryData(section, name, {.defaultValue = fallback}).toString();
}

// Blanks only, as the classic trim removes them; tabs stay.
QStringView trimBlanks(QStringView text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text[start] == u' ')
        ++start;
    while (end > start && text[end - 1] == u' ')
        --end;
    return text.sliced(start, end - start);
}

// A body that is not RTF is shown as plain text, whose paragraphs a rich-text
// control gives back with CR LF whatever line ends they came with.
QString withCrLf(const QString& text)
{
    if (!text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    QString out;
    out.reserve(text.size() + 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            out += CrLf;
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else {
            out += c;
        }
    }
    return out;
}

const FormSubmissionDef* findDefinition(const QList<FormSubmissionDef>& defs,
                                        const QString& subject)
{
    const QString lowered = Platform::lowerChars(subject);
    for (const FormSubmissionDef& def : defs) {
        if (Platform::lowerChars(def.Name) == lowered)
            return &def;
    }
    return nullptr;
}

// Adds a row for each field line of `text` whose field the rows lack.
void addFields(const QString& text, const FormSubmissionDef& def, QList<FieldRow>& rows,
               QSet<QString>& names)
{
    const QString lineEnd = def.LineEnd.isEmpty() ? CrLf : def.LineEnd;
    const QString body = text + lineEnd;
    const QStringView view(body);
    for (qsizetype start = 0; start < view.size();) {
        qsizetype end = view.indexOf(lineEnd, start);
        if (end < 0)
            end = view.size();
        const std::optional<FieldLine> field =
            splitFieldLine(view.sliced(start, end - start), def.Delimiter);
        start = end + lineEnd.size();
        if (!field || names.contains(field->name))
            continue;
        names.insert(field->name);
        rows.append({field->name, field->value, QString()});
    }
}

} // namespace

QList<FormSubmissionDef> loadFormSubmissions()
{
    QList<FormSubmissionDef> defs;
    const QString listing =
        Global::GetRegistryData(DefinitionsBranch, QStringLiteral("BRANCHES")).toString();
    for (const QString& branch : Global::listingNames(listing)) {
        const QString section = DefinitionsBranch + QLatin1Char('\\') + branch;
        FormSubmissionDef def;
        def.LineEnd = CrLf;
        def.Delimiter = readText(section, QStringLiteral("Delimiter"), DefaultDelimiter);
        def.Fields = readText(section, QStringLiteral("Fields"), QString());
        def.Name = readText(section, QStringLiteral("Name"), QString());
        defs.append(def);
    }
    return defs;
}

std::optional<ScanResult> scanJobFolder(const QString& folder, const QList<FormSubmissionDef>& defs,
                                        bool showUnknownForms)
{
    if (!Global::FolderExists(folder))
        return std::nullopt;
    ScanResult result;
    const QStringList files = Platform::listEntries(folder, u"*.emi", Platform::EntryKind::Files);
    result.files = int(files.size());
    if (files.isEmpty())
        return result;

    Global::BusyPointerScope busy;
    Platform::UiHost& host = Platform::uiHost();
    QSet<QString> names;
    for (const QString& file : files) {
        host.doEvents();
        const DataFiles::EventRecord mail =
            FileOperations::ReadEvent(folder + QLatin1Char('/') + file);
        if (mail.EntryFlagB == 0 || mail.EntryFlagA == 0) {
            ++result.notForms;
            continue;
        }
        const FormSubmissionDef* def = findDefinition(defs, mail.Subject);
        if (!def) {
            result.unknown.append(mail.Subject);
            if (showUnknownForms)
                Global::showMessage(9304, {mail.Subject}, Platform::MsgButtons::Ok,
                                    Platform::MsgIcon::Information, Global::Str::TitleNote);
            continue;
        }
        const QString text = withCrLf(Routines_Converters::rtfToPlainText(mail.Body));
        if (!text.isEmpty())
            addFields(text, *def, result.rows, names);
    }
    return result;
}

std::optional<FieldLine> splitFieldLine(QStringView line, QStringView delimiter)
{
    if (delimiter.isEmpty())
        return std::nullopt;
    const qsizetype at = line.indexOf(delimiter);
    if (at <= 0)
        return std::nullopt;
    return FieldLine{line.first(at).toString(),
                     trimBlanks(line.sliced(at + delimiter.size())).toString()};
}

} // namespace Linking
