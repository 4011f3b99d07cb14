// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QKeySequence>
#include <QString>

#include <functional>

class QAction;
class QMenuBar;
class QWidget;

namespace App {

// What the main window's menu bar offers, and the keys that already carry
// each command.
struct MainCommands
{
    struct Command
    {
        std::function<void()> run;
        QKeySequence key; // handled by the window itself; the menu only shows it
    };
    Command openDocument;
    Command chooseFolder;
    Command importMails;
    Command link;
    Command unlink;
    std::function<bool()> canLink;
    std::function<void()> about;
    // The toolbar's buttons by key, with their descriptions: the menu names
    // them by those and runs them through the toolbar's actions, which hold
    // their keys.
    QHash<QString, std::pair<QString, QAction*>> toolbar;
    QWidget* tagsPane = nullptr; // shown and hidden from the View menu
};

// Fills the menu bar of `window` (File, Tags, View, Help); the window places
// it at its top. Every command stands there with its key, so that the keys
// can be found; Quit closes the window (Ctrl+Q).
void fillMainMenu(QMenuBar& bar, QWidget& window, const MainCommands& commands);

// A toolbar button's tip: its description with its key, when it has one.
QString toolTipWithKey(const QString& description, const QKeySequence& key);

} // namespace App
