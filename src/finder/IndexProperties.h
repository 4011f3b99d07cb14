// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FindWindowRules.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

namespace Finding {

// The finder's properties panel without widgets: what it shows (filled
// afresh by LoadProperties at every opening), the ticking of the rebuild
// list, the chosen colours, and OK, Cancel and Rebuild. The window builds
// its controls from this state and mirrors the signals; tests drive it alone.
class IndexProperties : public QObject
{
    Q_OBJECT

public:
    // One row of the rebuild list: an indexed field.
    struct RebuildRow
    {
        QString text; // its caption in bold marks
        QString data; // the field number
        bool ticked = false;
        QString image; // "Y" ticked, "N" not
        bool operator==(const RebuildRow&) const = default;
    };

    explicit IndexProperties(QObject* parent = nullptr);

    // Fills the panel: captions, the filing folder, the rebuild list
    // unticked, the swatches, and the stored colours selected.
    void LoadProperties();

    QString title() const { return m_title; }
    QStringList tabCaptions() const { return m_tabs; }
    QStringList colourPrompts() const { return m_prompts; }
    QString okCaption() const { return m_ok; }
    QString cancelCaption() const { return m_cancel; }
    QString rebuildCaption() const { return m_rebuildCaption; }
    // lbl_WorkingIn: the filing folder's path, then the rebuild's progress.
    QString workingIn() const { return m_workingIn; }
    static inline const QString WorkingInImage = QStringLiteral("OPEN");
    const QList<RebuildRow>& rebuildRows() const { return m_rows; }
    // The swatches' colours in both boxes' order, each row's item data.
    static QList<int> swatchColours();
    // The rows selected in the colour boxes.
    int highlightRow() const { return swatchColours().indexOf(m_colours.highlight); }
    int hoverRow() const { return swatchColours().indexOf(m_colours.hover); }
    ListColours chosenColours() const { return m_colours; }
    bool rebuildEnabled() const { return m_rebuildEnabled; }
    bool shown() const { return m_shown; }
    bool rebuilding() const { return m_rebuilding; }

    // A click or double-click on a row of the rebuild list; the list's two
    // flags must both be false for the tick to change.
    void rowClicked(int row, bool flag1 = false, bool flag2 = false);
    void highlightRowChosen(int row);
    void hoverRowChosen(int row);
    // Stores the chosen colours and applies them; closes the panel.
    void ok();
    // Closes the panel; nothing is stored.
    void cancel();
    // Rebuilds the ticked fields' indexes (showing the progress), then OK.
    // A click while a rebuild runs does nothing. False when nothing was
    // rebuilt in full; the folders that could not be read are named in the
    // finder's status (statusReported).
    bool rebuild();
    // A click on the progress bar: the rebuild stops and the indexes stay
    // as they were.
    void stopRebuild() { m_stopRequested = true; }
    // The window's close request while the panel shows beeps and is refused.
    bool refuseClose() const;

signals:
    void loaded();
    void rowChanged(int row);
    void rebuildEnabledChanged(bool enabled);
    void rebuildingChanged(bool rebuilding);
    // The panel shows: the toolbar and the search area are disabled.
    void shownChanged(bool shown);
    void workingInChanged(const QString& text);
    void progressShown(bool shown);
    void progressChanged(int percent);
    // OK's colours for the results list.
    void coloursApplied(const ListColours& colours);
    // What the rebuild tells the finder's status: the folders it could not
    // read (972).
    void statusReported(const QString& text);
    // The panel has closed (after OK or Cancel): the focus to the clue box,
    // and the finder hides when it was opened by RemoteOp.
    void closed();

private:
    void setShown(bool shown);
    void setRebuildEnabled(bool enabled);

    QString m_title;
    QStringList m_tabs;
    QStringList m_prompts;
    QString m_ok;
    QString m_cancel;
    QString m_rebuildCaption;
    QString m_workingIn;
    QList<RebuildRow> m_rows;
    ListColours m_colours;
    bool m_rebuildEnabled = false;
    bool m_shown = false;
    bool m_rebuilding = false;
    bool m_stopRequested = false;
};

} // namespace Finding
