// SPDX-License-Identifier: GPL-3.0-or-later
#include "FormSubmissions.h"

#include "converters/RtfReader.h"
#include "datafiles/EventFile.h"
#include "platform/FileSystem.h"
#include "platform/RegistryHive.h"
#include "platform/Text.h"
#include "platform/UiHost.h"
#include "shared/Files.h"
#include "shared/Messages.h"
#include "shared/Settings.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace Linking {
namespace {

const QString DefinitionsBranch = QStringLiteral("EMail\\FormSubmissions");
const QString DefaultDelimiter = QStringLiteral(" =");
const QString CrLf = QStringLiteral("\r\n");

// The hive's key of one definition's sub-branch.
QString definitionKey(const QString& branch)
{
    return Global::SettingsRoot + QLatin1Char('\\') + DefinitionsBranch + QLatin1Char('\\') +
           branch;
}

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

// Whether the definition is of the form whose name, lower-cased, is `lowered`.
bool isNamed(const FormSubmissionDef& def, const QString& lowered)
{
    return Platform::lowerChars(def.Name) == lowered;
}

const FormSubmissionDef* findDefinition(const QList<FormSubmissionDef>& defs,
                                        const QString& subject)
{
    const QString lowered = Platform::lowerChars(subject);
    for (const FormSubmissionDef& def : defs) {
        if (isNamed(def, lowered))
            return &def;
    }
    return nullptr;
}

// Calls `line` with each line of `text`, which gets a line end appended so
// that a last line without one is read too.
template <typename Line>
void forEachLine(const QString& text, const QString& lineEnd, Line&& line)
{
    if (text.isEmpty())
        return;
    const QString body = text + lineEnd;
    const QStringView view(body);
    for (qsizetype start = 0; start < view.size();) {
        qsizetype end = view.indexOf(lineEnd, start);
        if (end < 0)
            end = view.size();
        line(view.sliced(start, end - start));
        start = end + lineEnd.size();
    }
}

// The field lines of a form's body, a field given twice with its first value.
QList<FieldLine> bodyFields(const QString& text, const FormSubmissionDef& def)
{
    QList<FieldLine> fields;
    QSet<QString> names;
    forEachLine(text, def.LineEnd.isEmpty() ? CrLf : def.LineEnd, [&](QStringView line) {
        std::optional<FieldLine> field = splitFieldLine(line, def.Delimiter);
        if (field && !names.contains(field->name)) {
            names.insert(field->name);
            fields.append(std::move(*field));
        }
    });
    return fields;
}

// The e-mails of one unknown subject while a scan counts, for each candidate
// delimiter, the body lines it splits.
struct UnknownTally
{
    qsizetype at = 0; // the subject's place in ScanResult::unknownForms
    QList<int> splits = QList<int>(candidateDelimiters().size(), 0);

    void add(const QString& text)
    {
        const QStringList& candidates = candidateDelimiters();
        forEachLine(text, CrLf, [&](QStringView line) {
            for (qsizetype i = 0; i < candidates.size(); ++i) {
                if (splitFieldLine(line, candidates[i]))
                    ++splits[i];
            }
        });
    }

    QString best() const
    {
        const auto most = std::max_element(splits.cbegin(), splits.cend());
        return candidateDelimiters()[most - splits.cbegin()];
    }
};

QString formText(const DataFiles::EventRecord& mail)
{
    return withCrLf(Routines_Converters::rtfToPlainText(mail.Body));
}

bool isForm(const DataFiles::EventRecord& mail)
{
    return mail.EntryFlagB != 0 && mail.EntryFlagA != 0;
}

// The uses' values, most frequent first; a stable sort keeps ties in the
// order they were met.
void sortValues(QHash<QString, FieldUse>& uses)
{
    for (FieldUse& use : uses) {
        std::stable_sort(
            use.values.begin(), use.values.end(),
            [](const ValueCount& a, const ValueCount& b) { return a.count > b.count; });
    }
}

} // namespace

QList<StoredFormDef> storedFormSubmissions()
{
    QList<StoredFormDef> stored;
    const QString listing =
        Global::GetRegistryData(DefinitionsBranch, QStringLiteral("BRANCHES")).toString();
    for (const QString& branch : Global::listingNames(listing)) {
        const QString section = DefinitionsBranch + QLatin1Char('\\') + branch;
        FormSubmissionDef def;
        def.LineEnd = CrLf;
        def.Delimiter = readText(section, QStringLiteral("Delimiter"), DefaultDelimiter);
        def.Fields = readText(section, QStringLiteral("Fields"), QString());
        def.Name = readText(section, QStringLiteral("Name"), QString());
        stored.append({branch, def});
    }
    return stored;
}

QList<FormSubmissionDef> loadFormSubmissions()
{
    QList<FormSubmissionDef> defs;
    for (StoredFormDef& stored : storedFormSubmissions())
        defs.append(std::move(stored.def));
    return defs;
}

const QStringList& candidateDelimiters()
{
    static const QStringList candidates{DefaultDelimiter, QStringLiteral(": "), QStringLiteral(":"),
                                        QStringLiteral("="), QStringLiteral("\t")};
    return candidates;
}

FormSaved saveFormSubmission(const QString& name, const FormDefParts& parts)
{
    const QList<StoredFormDef> stored = storedFormSubmissions();
    const QString lowered = Platform::lowerChars(name);
    const auto same = std::find_if(stored.cbegin(), stored.cend(),
                                   [&](const StoredFormDef& s) { return isNamed(s.def, lowered); });
    QString branch;
    if (same != stored.cend()) {
        branch = same->branch;
    } else {
        // The first "FormN" that no sub-branch is called, whatever its case.
        QSet<QString> taken;
        for (const StoredFormDef& s : stored)
            taken.insert(Platform::lowerChars(s.branch));
        for (int n = 1; branch.isEmpty(); ++n) {
            if (!taken.contains(QStringLiteral("form%1").arg(n)))
                branch = QStringLiteral("Form%1").arg(n);
        }
    }
    // Written on the hive itself: the settings writer takes a value "KILL" as
    // an order to delete it, and a form may well be called so.
    QList<std::pair<QString, QString>> values{{QStringLiteral("Name"), name}};
    if (parts.delimiter || same == stored.cend())
        values.append({QStringLiteral("Delimiter"), parts.delimiter.value_or(DefaultDelimiter)});
    if (parts.fields)
        values.append({QStringLiteral("Fields"), *parts.fields});
    const bool written = Global::guarded("Linking:saveFormSubmission", [&] {
        Global::settingsHive().replaceValues(definitionKey(branch), values);
        return true;
    });
    if (!written)
        return FormSaved::Failed;
    return same != stored.cend() ? FormSaved::Updated : FormSaved::Added;
}

int removeFormSubmission(const QString& name)
{
    const QString lowered = Platform::lowerChars(name);
    QStringList branches;
    for (const StoredFormDef& s : storedFormSubmissions()) {
        if (isNamed(s.def, lowered))
            branches.append(s.branch);
    }
    const bool removed = Global::guarded("Linking:removeFormSubmission", [&] {
        for (const QString& branch : branches)
            Global::settingsHive().deleteKey(definitionKey(branch));
        return true;
    });
    return removed ? int(branches.size()) : -1;
}

std::optional<ScanResult> scanJobFolder(const QString& folder, const QList<FormSubmissionDef>& defs)
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
    // Where each field's values are in its use, while they are counted.
    QHash<QString, QHash<QString, qsizetype>> valueAt;
    // The unknown subjects, by their lower-case form.
    QHash<QString, UnknownTally> unknownAt;
    for (const QString& file : files) {
        host.doEvents();
        const QString path = folder + QLatin1Char('/') + file;
        const DataFiles::EventRecord mail = FileOperations::ReadEvent(path);
        if (!isForm(mail)) {
            ++result.notForms;
            continue;
        }
        const FormSubmissionDef* def = findDefinition(defs, mail.Subject);
        if (!def) {
            result.unknown.append(mail.Subject);
            const QString lowered = Platform::lowerChars(mail.Subject);
            auto tally = unknownAt.find(lowered);
            if (tally == unknownAt.end()) {
                tally = unknownAt.insert(lowered, {.at = result.unknownForms.size()});
                result.unknownForms.append({mail.Subject, 0, QString()});
            }
            ++result.unknownForms[tally->at].count;
            tally->add(formText(mail));
            continue;
        }
        result.mails.append(
            {file, mail.Subject, QFileInfo(path).lastModified().toMSecsSinceEpoch()});
        for (FieldLine& field : bodyFields(formText(mail), *def)) {
            FieldUse& use = result.uses[field.name];
            if (use.count++ == 0)
                result.rows.append({field.name, field.value, QString()});
            QHash<QString, qsizetype>& at = valueAt[field.name];
            const auto found = at.constFind(field.value);
            if (found != at.cend()) {
                ++use.values[*found].count;
            } else {
                at.insert(field.value, use.values.size());
                use.values.append({std::move(field.value), 1});
            }
        }
    }
    sortValues(result.uses);
    for (const UnknownTally& tally : std::as_const(unknownAt))
        result.unknownForms[tally.at].delimiter = tally.best();
    // The files were listed in name order: the later name first among equal times.
    std::reverse(result.mails.begin(), result.mails.end());
    std::stable_sort(result.mails.begin(), result.mails.end(),
                     [](const FormMail& a, const FormMail& b) { return a.modified > b.modified; });
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

std::optional<QList<FieldLine>> readFormFields(const QString& path,
                                               const QList<FormSubmissionDef>& defs)
{
    if (!Global::FileExists(path))
        return std::nullopt;
    const DataFiles::EventRecord mail = FileOperations::ReadEvent(path);
    const FormSubmissionDef* def = isForm(mail) ? findDefinition(defs, mail.Subject) : nullptr;
    if (!def)
        return std::nullopt;
    return bodyFields(formText(mail), *def);
}

} // namespace Linking
