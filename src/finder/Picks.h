// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

// The finder's two lists of earlier picks, kept in the settings: favourites,
// which the user adds, and recent picks, which the finder records at each
// folder pick. Each entry is a value of the list's branch: its name the
// moment it was added as a day number ("46000.5"), its data the row's display
// text without marks, the character 1 and the pick text.
namespace Finding {

enum class PickList
{
    Favourites,
    Recent
};

// The list's branch below the program's settings: "Favourites" or "Recent".
QString pickListKey(PickList list);

struct StoredPick
{
    QString name;    // the value's name: when it was added
    QString display; // what the menu shows
    QString pick;    // what a choice hands back to the caller
    bool operator==(const StoredPick&) const = default;
};

// The entries in the store's order, which is the menus' order.
QList<StoredPick> storedPicks(PickList list);

// Deletes the first entry of the branch Key whose data ends with the
// character 1 and Pick, going through Names (a listing after its count:
// each name followed by the character 0); Oldest is lowered to the smallest
// name examined on the way.
void sub_DeleteDuplicates(const QString& Key, QString Names, const QString& Pick, double& Oldest);

// A row's display text with its emphasis marks (the character 1 and the one
// after it) cut out. A column step between two texts leaves " – " between
// them, so that "Smith, Helen" and "Granite Ltd" do not run together.
QString withoutMarks(QStringView text);

// Adds a pick: an entry of the same pick goes first, and a recent list that
// holds more than RecentCapacity entries loses its oldest (of those looked at
// on the way). The entry is named by `now`; a name taken already (two adds
// within a few microseconds) moves on to the next free one rather than write
// over that entry.
void addPick(PickList list, const QString& rowDisplay, const QString& pick,
             const QDateTime& now = QDateTime::currentDateTime());

// Removes every entry of the pick; false when there was none.
bool removePick(PickList list, const QString& pick);

// Removes every entry of the list.
void clearPicks(PickList list);

} // namespace Finding
