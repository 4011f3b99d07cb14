// SPDX-License-Identifier: GPL-3.0-or-later
#include "Cli.h"
#include "finder/Picks.h"

#include <optional>

namespace Cli {
namespace {

using Finding::PickList;

const char* const PicksUsage = "Usage: vantix picks list [--json]\n"
                               "       vantix picks add favourites|recent DISPLAY PICK\n"
                               "       vantix picks remove favourites|recent PICK\n";

void printHelp(QTextStream& out)
{
    out << PicksUsage << "\n"
        << "The finder's favourites and recent picks, as its FAVOURITES and RECENTS menus\n"
        << "offer them. list prints each list in the order the menus show it, an entry a\n"
        << "line: its name (the moment it was added, as a day number), a tab, the text\n"
        << "the menu shows, a tab and the pick (what choosing it hands back: a folder's\n"
        << "reference). --json gives {\"favourites\": [{\"name\": ..., \"display\": ...,\n"
        << "\"pick\": ...}], \"recent\": [...]}.\n\n"
        << "add stores a pick as the finder does: DISPLAY is the row's text (emphasis\n"
        << "marks are taken out), an entry of the same PICK goes first, and the recent\n"
        << "list keeps one entry more than the tweak RecentCapacity. remove takes every\n"
        << "entry of PICK out of the list; the status is 1 when there was none.\n";
}

std::optional<PickList> listNamed(const QString& name)
{
    if (name.compare(QLatin1String("favourites"), Qt::CaseInsensitive) == 0)
        return PickList::Favourites;
    if (name.compare(QLatin1String("recent"), Qt::CaseInsensitive) == 0)
        return PickList::Recent;
    return std::nullopt;
}

void printJson(QTextStream& out)
{
    out << "{";
    const char* separator = "\n";
    for (const auto& [key, list] :
         {std::pair{"favourites", PickList::Favourites}, std::pair{"recent", PickList::Recent}}) {
        out << separator << "  \"" << key << "\": [";
        const QList<Finding::StoredPick> picks = Finding::storedPicks(list);
        for (qsizetype i = 0; i < picks.size(); ++i)
            out << (i ? ",\n    " : "\n    ") << "{\"name\": " << jsonString(picks[i].name)
                << ", \"display\": " << jsonString(picks[i].display)
                << ", \"pick\": " << jsonString(picks[i].pick) << "}";
        out << (picks.isEmpty() ? "]" : "\n  ]");
        separator = ",\n";
    }
    out << "\n}\n";
}

void printText(QTextStream& out)
{
    for (const PickList list : {PickList::Favourites, PickList::Recent}) {
        out << Finding::pickListKey(list) << ":\n";
        for (const Finding::StoredPick& entry : Finding::storedPicks(list))
            out << entry.name << '\t' << entry.display << '\t' << entry.pick << '\n';
    }
}

} // namespace

int picksCommand(const QStringList& args, Context& context)
{
    const QString usage = QLatin1String(PicksUsage);
    if (wantsHelp(args)) {
        printHelp(context.out);
        return Ok;
    }
    const QString verb = args.value(0);
    const QStringList rest = args.mid(1);
    if (verb == QLatin1String("list")) {
        return listVerb(rest, "picks", context, usage,
                        [&](bool json) { json ? printJson(context.out) : printText(context.out); });
    }
    const bool adding = verb == QLatin1String("add");
    if (!adding && verb != QLatin1String("remove"))
        return listVerbError("picks", verb, context, usage);
    const Arguments parsed =
        parseArguments(rest, {}, adding ? 3 : 2,
                       adding ? QStringLiteral("picks add needs a list, a display text and a pick")
                              : QStringLiteral("picks remove needs a list and a pick"),
                       context, usage);
    if (parsed.status != Ok)
        return parsed.status;
    const std::optional<PickList> list = listNamed(parsed.positional[0]);
    if (!list)
        return usageError(context,
                          QStringLiteral("the lists are favourites and recent, not '%1'")
                              .arg(parsed.positional[0]),
                          usage);
    if (!openSettings(context))
        return Failed;
    if (adding) {
        Finding::addPick(*list, parsed.positional[1], parsed.positional[2]);
    } else if (!Finding::removePick(*list, parsed.positional[1])) {
        context.err << "vantix: the " << Finding::pickListKey(*list).toLower()
                    << " list holds no pick '" << parsed.positional[1] << "'\n";
        return Failed;
    }
    return finish(context);
}

} // namespace Cli
