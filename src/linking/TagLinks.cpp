// SPDX-License-Identifier: GPL-3.0-or-later
#include "TagLinks.h"

#include "platform/RegistryHive.h"
#include "platform/Text.h"
#include "shared/Files.h"
#include "shared/Formatting.h"
#include "shared/Messages.h"
#include "shared/Settings.h"

namespace Linking {
namespace {

const QString LinkBranch = QStringLiteral("Tagmill");
const QString SourceFileValue = QStringLiteral("SourceFile");
// "The document '|1' cannot have links, ..."
constexpr int NoDocumentKey = 9322;

// Only values named like a comment tag are links; "SourceFile" and any
// other value of the branch are not.
bool isLinkName(const QString& name)
{
    return name.startsWith(QLatin1Char('<')) && name.endsWith(QLatin1Char('>'));
}

QString readText(const QString& section, const QString& name)
{
    return Global::GetRegistryData(section, name, {.defaultValue = QString()}).toString();
}

} // namespace

QString documentName(const QString& path)
{
    const QString name = Global::FormatFilename(path, QStringLiteral("NX"));
    return name.isEmpty() ? path.mid(path.lastIndexOf(QLatin1Char('/')) + 1) : name;
}

QString documentKey(const QString& displayName)
{
    // "\" would part the key into branches of the store ("a\b.htm" under
    // "Tagmill\A"); no name on the suite's own system holds one.
    return Global::MakeSearchKey(displayName).remove(QLatin1Char('\\'));
}

QString linkSection(const QString& displayName)
{
    return LinkBranch + QLatin1Char('\\') + documentKey(displayName);
}

bool checkDocumentKey(const QString& displayName)
{
    if (!documentKey(displayName).isEmpty())
        return true;
    Global::showMessage(NoDocumentKey, {displayName}, Platform::MsgButtons::Ok,
                        Platform::MsgIcon::Exclamation, Global::Str::TitleWarning);
    return false;
}

QString rowText(const FieldRow& row)
{
    return Global::ResolveRes(9305, {row.fieldName, row.sample, row.tagLink});
}

QString formsLine(int count, int forms)
{
    return Global::ResolveRes(9323, {count, forms});
}

QString valuesToolTip(const FieldUse& use)
{
    constexpr qsizetype Shown = 20;
    QStringList lines;
    for (const ValueCount& value : use.values.first(std::min(use.values.size(), Shown))) {
        lines.append(Global::ResolveRes(
            9325, {value.value.isEmpty() ? Global::ResolveRes(9326) : value.value, value.count}));
    }
    if (use.values.size() > Shown)
        lines.append(Global::ResolveRes(9327, {use.values.size() - Shown}));
    return lines.join(QLatin1Char('\n'));
}

int rowOfField(const QList<FieldRow>& rows, const QString& field)
{
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (rows[i].fieldName == field)
            return int(i);
    }
    return -1;
}

int rowOfTag(const QList<FieldRow>& rows, const QString& tag)
{
    if (tag.isEmpty())
        return -1;
    const QString folded = Platform::foldCase(tag);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (Platform::foldCase(rows[i].tagLink) == folded)
            return int(i);
    }
    return -1;
}

QList<int> loadTagLinks(QList<FieldRow>& rows, const QString& displayName)
{
    // The links of the document shown before must not stay in the rows.
    QStringList links(rows.size());
    if (!rows.isEmpty() && !documentKey(displayName).isEmpty()) {
        Global::BusyPointerScope busy;
        for (const StoredLink& link : storedLinks(displayName)) {
            const int row = rowOfField(rows, link.field);
            if (row >= 0)
                links[row] = link.tag;
        }
    }
    QList<int> changed;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (rows[i].tagLink != links[i]) {
            rows[i].tagLink = links[i];
            changed.append(int(i));
        }
    }
    return changed;
}

QList<StoredLink> storedLinks(const QString& displayName)
{
    QList<StoredLink> links;
    if (documentKey(displayName).isEmpty())
        return links;
    const QString section = linkSection(displayName);
    const QString listing =
        Global::GetRegistryData(section, QStringLiteral("ALLSUBKEYS")).toString();
    for (const QString& name : Global::listingNames(listing)) {
        if (!isLinkName(name))
            continue;
        const QString field = readText(section, name);
        if (!field.isEmpty())
            links.append({name, field});
    }
    return links;
}

QString storedField(const QString& displayName, const QString& tag)
{
    if (documentKey(displayName).isEmpty() || tag.isEmpty())
        return QString();
    return readText(linkSection(displayName), tag);
}

void storeLink(const QString& displayName, const QString& tag, const QString& field)
{
    storeLinks(displayName, {{tag, field}});
}

bool storeLinks(const QString& displayName, const QList<StoredLink>& links)
{
    if (documentKey(displayName).isEmpty())
        return false;
    QList<std::pair<QString, QString>> values;
    for (const StoredLink& link : links) {
        if (!link.tag.isEmpty() && !link.field.isEmpty())
            values.append({link.tag, link.field});
    }
    if (values.isEmpty())
        return true;
    // The store keeps a name in the case and the place it was first written
    // in: each link is made afresh, so that the tag is stored as it is now
    // and a reload shows it in its field's row, as the rows show it now. The
    // fields go in as they are: the settings' own writer would take the text
    // KILL for "delete the value". One write: all of the links or none.
    return Global::guarded("Linking:storeLink", [&] {
        Global::settingsHive().replaceValues(
            Global::SettingsRoot + QLatin1Char('\\') + linkSection(displayName), values);
        return true;
    });
}

void removeLink(const QString& displayName, const QString& tag)
{
    if (documentKey(displayName).isEmpty() || tag.isEmpty())
        return;
    Global::SaveRegistryData(linkSection(displayName), tag, QStringLiteral("KILL"));
}

void storeSourceFile(const QString& displayName, const QString& path)
{
    if (documentKey(displayName).isEmpty())
        return;
    Global::SaveRegistryData(linkSection(displayName), SourceFileValue, path);
}

} // namespace Linking
