// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainMenu.h"

#include "shared/Messages.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace App {
namespace {

namespace Str {
enum : int
{
    Menus = 9365,    // File, Tags, View, Help
    Commands = 9366, // the commands that are not toolbar buttons
    TipWithKey = 9369,
    ImportMails = 9430,
};
}

enum CommandText
{
    OpenText,
    FolderText,
    QuitText,
    LinkText,
    UnlinkText,
    MatchText,
    TagsPaneText,
    AboutText
};

// A command whose key the window handles itself: the menu shows the key, and
// takes it only while the menu has the focus, so that one key never stands
// for two shortcuts of the window.
QAction* addCommand(QMenu& menu, const QString& text, const MainCommands::Command& command)
{
    QAction* action = menu.addAction(text, command.run);
    action->setShortcut(command.key);
    action->setShortcutContext(Qt::WidgetShortcut);
    return action;
}

void addToolbarCommand(QMenu& menu, const MainCommands& commands, const char* key,
                       const QString& text = {})
{
    const auto found = commands.toolbar.constFind(QLatin1String(key));
    if (found == commands.toolbar.cend() || !found->second)
        return;
    QAction* button = found->second;
    QAction* action = addCommand(menu, text.isEmpty() ? found->first : text,
                                 {[button] { button->trigger(); }, button->shortcut()});
    action->setObjectName(QStringLiteral("menu_") + QLatin1String(key));
    action->setIcon(button->icon());
    QObject::connect(&menu, &QMenu::aboutToShow, action,
                     [action, button] { action->setEnabled(button->isEnabled()); });
}

} // namespace

void fillMainMenu(QMenuBar& bar, QWidget& window, const MainCommands& commands)
{
    const QStringList menus = Global::ResolveRes(Str::Menus).split(QChar(0));
    const QStringList texts = Global::ResolveRes(Str::Commands).split(QChar(0));
    bar.setObjectName(QStringLiteral("mnu_Main"));
    // The window lays its controls out below the bar: a bar shown by the
    // desktop instead would leave a gap.
    bar.setNativeMenuBar(false);

    QMenu* file = bar.addMenu(menus.value(0));
    addCommand(*file, texts.value(OpenText), commands.openDocument);
    addCommand(*file, texts.value(FolderText), commands.chooseFolder);
    if (commands.importMails.run)
        addCommand(*file, Global::ResolveRes(Str::ImportMails), commands.importMails)
            ->setObjectName(QStringLiteral("menu_ImportMails"));
    file->addSeparator();
    QAction* quit = file->addAction(texts.value(QuitText), &window, &QWidget::close);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit->setObjectName(QStringLiteral("menu_Quit"));

    QMenu* tags = bar.addMenu(menus.value(1));
    addToolbarCommand(*tags, commands, "LTAG");
    addToolbarCommand(*tags, commands, "NTAG");
    addToolbarCommand(*tags, commands, "UTAG");
    tags->addSeparator();
    QAction* link = addCommand(*tags, texts.value(LinkText), commands.link);
    QAction* unlink = addCommand(*tags, texts.value(UnlinkText), commands.unlink);
    QObject::connect(tags, &QMenu::aboutToShow, link, [link, unlink, commands] {
        const bool can = commands.canLink && commands.canLink();
        link->setEnabled(can);
        unlink->setEnabled(can);
    });
    addToolbarCommand(*tags, commands, "MATCH", texts.value(MatchText));

    QMenu* view = bar.addMenu(menus.value(2));
    addToolbarCommand(*view, commands, "PREVIEW");
    if (QWidget* pane = commands.tagsPane) {
        QAction* shown = view->addAction(texts.value(TagsPaneText));
        shown->setObjectName(QStringLiteral("menu_TagsPane"));
        shown->setCheckable(true);
        QObject::connect(view, &QMenu::aboutToShow, shown, [shown, pane] {
            shown->setChecked(pane->isVisibleTo(pane->parentWidget()));
        });
        QObject::connect(shown, &QAction::toggled, pane, &QWidget::setVisible);
    }

    QMenu* help = bar.addMenu(menus.value(3));
    help->addAction(texts.value(AboutText), commands.about);
}

QString toolTipWithKey(const QString& description, const QKeySequence& key)
{
    if (key.isEmpty())
        return description;
    return Global::ResolveRes(Str::TipWithKey,
                              {description, key.toString(QKeySequence::NativeText)});
}

} // namespace App
