// SPDX-License-Identifier: GPL-3.0-or-later
#include "Picks.h"

#include "shared/Settings.h"
#include "shared/Tweaks.h"
#include "shared/Values.h"

#include <QSet>

#include <cmath>

namespace Finding {
namespace {

const QChar Mark(1);
const QChar NameEnd(0);
// What a row's column step becomes in an entry: the menus show the name and
// the company apart.
const QString ColumnSeparator = QStringLiteral(" \u2013 ");
// Oldest before any entry is examined: a recent list within its capacity
// (0) or over it (99999, above any day number the suite will see).
constexpr double WithinCapacity = 0;
constexpr double OverCapacity = 99999;

QString readData(const QString& key, const QString& name)
{
    return Global::GetRegistryData(key, name).toString();
}

QStringList entryNames(const QString& key)
{
    return Global::listingNames(
        Global::GetRegistryData(key, QStringLiteral("ALLSUBKEYS")).toString());
}

// sub_DeleteDuplicates over names already split; also gives the oldest
// examined name as it is written, so that the entry is found again by its
// own name whatever digits it was written with.
void deleteDuplicate(const QString& key, const QStringList& names, const QString& pick,
                     double& oldest, QString& oldestName)
{
    const QString ending = Mark + pick;
    for (const QString& name : names) {
        const double number = Global::val(name);
        if (number < oldest) {
            oldest = number;
            oldestName = name;
        }
        if (readData(key, name).endsWith(ending)) {
            Global::SaveRegistryData(key, name, QStringLiteral("KILL"));
            return;
        }
    }
}

// The name of the moment `now`, or the next number that the names do not
// hold yet: the day number is written with 15 significant digits, a few
// microseconds apart.
QString freeName(const QDateTime& now, const QStringList& names)
{
    const QSet<QString> taken(names.begin(), names.end());
    double number = Global::dateToNumber(now);
    QString name = Global::numberText(number);
    const double step = std::pow(10.0, std::floor(std::log10(std::max(number, 1.0))) - 14);
    while (taken.contains(name)) {
        number += step;
        name = Global::numberText(number);
    }
    return name;
}

} // namespace

QString pickListKey(PickList list)
{
    return list == PickList::Favourites ? QStringLiteral("Favourites") : QStringLiteral("Recent");
}

QList<StoredPick> storedPicks(PickList list)
{
    const QString key = pickListKey(list);
    QList<StoredPick> picks;
    for (const QString& name : entryNames(key)) {
        const QString data = readData(key, name);
        const qsizetype mark = data.indexOf(Mark);
        picks.append({name, data.left(mark), mark < 0 ? QString() : data.mid(mark + 1)});
    }
    return picks;
}

void sub_DeleteDuplicates(const QString& Key, QString Names, const QString& Pick, double& Oldest)
{
    QString oldestName;
    QStringList names = Names.split(NameEnd);
    // The text after the last name's character 0 is no name.
    names.removeLast();
    deleteDuplicate(Key, names, Pick, Oldest, oldestName);
}

QString withoutMarks(QStringView text)
{
    QString plain;
    plain.reserve(text.size() + ColumnSeparator.size());
    bool stepped = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == Mark) {
            // The mark and the letter after it; a column step leaves a
            // separator between the texts on either side of it.
            ++i;
            stepped = stepped || (i < text.size() && text[i] == QLatin1Char('t'));
            continue;
        }
        if (stepped && !plain.isEmpty())
            plain.append(ColumnSeparator);
        stepped = false;
        plain.append(text[i]);
    }
    return plain;
}

void addPick(PickList list, const QString& rowDisplay, const QString& pick, const QDateTime& now)
{
    const QString key = pickListKey(list);
    const QStringList names = entryNames(key);
    double oldest = WithinCapacity;
    if (list == PickList::Recent &&
        names.size() > Global::GetTweak(Global::Tweak::RecentCapacity).number())
        oldest = OverCapacity;
    QString oldestName;
    deleteDuplicate(key, names, pick, oldest, oldestName);
    Global::SaveRegistryData(key, freeName(now, names), withoutMarks(rowDisplay) + Mark + pick);
    if (list == PickList::Recent && oldest != WithinCapacity && oldest != OverCapacity)
        Global::SaveRegistryData(key, oldestName, QStringLiteral("KILL"));
}

bool removePick(PickList list, const QString& pick)
{
    bool removed = false;
    for (const StoredPick& entry : storedPicks(list)) {
        if (entry.pick == pick) {
            Global::SaveRegistryData(pickListKey(list), entry.name, QStringLiteral("KILL"));
            removed = true;
        }
    }
    return removed;
}

void clearPicks(PickList list)
{
    Global::SaveRegistryData(pickListKey(list), QStringLiteral("EMPTY"), QString());
}

} // namespace Finding
