// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "IndexProperties.h"
#include "NewContactPanel.h"
#include "SearchFlow.h"

#include <QObject>
#include <QVariant>

namespace Finding {

// The finder's one entry for other windows, RemoteOp, and the way a pick
// goes back to the window that asked (ReturnPick), without widgets. What
// the operations set lasts between displays: the window is made once.
class FinderRemote : public QObject
{
    Q_OBJECT

public:
    // The operations of RemoteOp.
    enum Op : qint16
    {
        SetCallerMode = 1075,
        Prepare = 1091,
        ShowToolTips = 1098,
        NewOrClose = 1110,
        PresetField = 1127,
        EnableNew = 1145,
        OpenProperties = 2202,
        AddFavourite = 2260,
        PassRowOn = 2261,
    };
    // The caller mode of the main window, whose picks come back as its
    // operation 2261.
    static constexpr qint16 MainWindowMode = 23;
    static constexpr qint16 MainWindowPickOp = 2261;

    explicit FinderRemote(SearchFlow& flow, QObject* parent = nullptr);

    qint16 callerMode() const { return m_callerMode; }
    bool usersAllowed() const { return m_usersAllowed; }
    bool newEnabled() const { return m_newEnabled; }
    bool toolTipsShown() const { return m_toolTips; }
    // The index properties panel, opened by operation 2202.
    IndexProperties& properties() { return m_properties; }
    // Set by every opening of the properties panel: its closing then hides
    // the finder too.
    bool openedByRemote() const { return m_openedByRemote; }
    // The new-contact panel, opened by NEW and operation 1110.
    NewContactPanel& newContact() { return m_newContact; }
    // NEW: the new-contact panel opens, offering the search clue. One panel
    // shows at a time: neither opens over the other.
    void openNewContact();
    // Escape on either panel: the panel closes and the search page is back
    // (nothing while a rebuild or a creation runs).
    void closePanel();
    // The window's close request while a panel shows beeps and is refused.
    bool refuseClose() const;

    // Runs an operation; a fault is reported with the parameters in the
    // reference, and the finder stays as it was. Unknown numbers do nothing.
    void RemoteOp(qint16 Op, const QVariant& Param1 = {}, const QVariant& Param2 = {});
    // Hands PickText to the caller of CallerMode. Only the main window's mode
    // reaches a window in this program; the others' windows belong to the
    // rest of the suite, so their picks go nowhere.
    void ReturnPick(const QString& PickText);

signals:
    void usersAllowedChanged(bool allowed);
    void newEnabledChanged(bool enabled);
    void toolTipsShownChanged(bool shown);
    // Operation 1110 with NEW off: the window's close request is handled as
    // for a close from its control menu, without closing the window.
    void closeRequestHandlingRequested();
    // Every pick hides the finder first (and lets the event queue run).
    void hideRequested();
    // A pick for the main window: its RemoteOp with 2261, PickText and 0.
    void pickedForMainWindow(const QString& pickText);

private:
    void prepare(const QString& letters, const QString& page);
    void picked(const QString& pickText);
    void propertiesClosed();
    void newContactCreated(const QString& pickText);
    // Sets a switch, and says so when it changes.
    void setSwitch(bool& value, bool to, void (FinderRemote::*changed)(bool))
    {
        if (to == value)
            return;
        value = to;
        emit(this->*changed)(to);
    }

    SearchFlow& m_flow;
    qint16 m_callerMode = 0;
    bool m_usersAllowed = false;
    // Switched by operation 1145.
    bool m_newEnabled = true;
    bool m_toolTips = true;
    IndexProperties m_properties;
    NewContactPanel m_newContact;
    bool m_openedByRemote = false;
};

} // namespace Finding
