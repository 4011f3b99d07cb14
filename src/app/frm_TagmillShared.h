// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the main window's two source files share: its settings, its keys and
// the design's spacing.

#include <QKeySequence>
#include <QString>

namespace App::MainWindow {

inline const QString Branch = QStringLiteral("Tagmill");
inline const QString LastDocument = QStringLiteral("LastDocument");
inline const QString LastFolder = QStringLiteral("LastFolder");
inline const QString WindowWidth = QStringLiteral("WindowWidth");
inline const QString WindowHeight = QStringLiteral("WindowHeight");
inline const QString WindowMaximised = QStringLiteral("WindowMaximised");
inline const QString SplitterPosition = QStringLiteral("SplitterPosition");
inline const QString TagsPaneWidth = QStringLiteral("TagsPaneWidth");

// The keys of the two choosing steps (the platform's key for Open is known
// once the application runs).
inline QKeySequence openDocumentKey()
{
    return QKeySequence(QKeySequence::Open);
}
inline const QKeySequence ChooseFolderKey{Qt::CTRL | Qt::SHIFT | Qt::Key_O};
inline const QKeySequence ImportMailsKey{Qt::CTRL | Qt::Key_I};

// The design's spacing, in pixels.
constexpr int Margin = 6; // 90 twips
constexpr int RowHeight = 24;
constexpr int TopRowTop = 4;
constexpr int SplitterTop = TopRowTop + RowHeight + 6;
constexpr int LinkPanelHeight = 2 * RowHeight + 10;
constexpr int StatusMessageRoom = 24; // characters of a status message beside the tag count

} // namespace App::MainWindow
