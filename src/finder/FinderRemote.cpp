// SPDX-License-Identifier: GPL-3.0-or-later
#include "FinderRemote.h"

#include "Picks.h"
#include "platform/RunTimeError.h"
#include "platform/UiHost.h"
#include "shared/Messages.h"
#include "shared/Values.h"

#include <cmath>

namespace Finding {
namespace {

constexpr int FavouriteAdded = 976;

// A parameter as a 16-bit integer: rounded to even, Overflow beyond it.
qint16 shortOf(const QVariant& value)
{
    const double number = std::nearbyint(Global::toNumber(value));
    if (number < -32768 || number > 32767)
        throw Platform::RunTimeError(Platform::RunTimeError::Overflow);
    return qint16(number);
}

} // namespace

FinderRemote::FinderRemote(SearchFlow& flow, QObject* parent) : QObject(parent), m_flow(flow)
{
    connect(&m_flow, &SearchFlow::picked, this, &FinderRemote::picked);
    connect(&m_properties, &IndexProperties::closed, this, &FinderRemote::propertiesClosed);
    connect(&m_properties, &IndexProperties::statusReported, &m_flow, &SearchFlow::showStatus);
    connect(&m_newContact, &NewContactPanel::statusReported, &m_flow, &SearchFlow::showStatus);
    connect(&m_newContact, &NewContactPanel::createdPick, this, &FinderRemote::newContactCreated);
}

void FinderRemote::RemoteOp(qint16 Op, const QVariant& Param1, const QVariant& Param2)
{
    try {
        switch (Op) {
        case SetCallerMode:
            m_callerMode = shortOf(Param1);
            break;
        case Prepare:
            prepare(Global::toText(Param1), Global::toText(Param2));
            break;
        case ShowToolTips:
            // Every call sets the buttons' tips, changed or not: the toolbar
            // is built without them.
            m_toolTips = Global::toNumber(Param1) != 0;
            emit toolTipsShownChanged(m_toolTips);
            break;
        case NewOrClose:
            if (m_newEnabled)
                openNewContact();
            else
                emit closeRequestHandlingRequested();
            break;
        case PresetField:
            m_flow.presetFields({shortOf(Param1)});
            break;
        case EnableNew:
            setSwitch(m_newEnabled, Global::toNumber(Param1) != 0,
                      &FinderRemote::newEnabledChanged);
            break;
        case AddFavourite:
            if (const auto row = m_flow.selectedPick()) {
                const SearchFlow::RowPick entry = m_flow.listEntry(*row);
                addPick(PickList::Favourites, entry.display, entry.pick);
                m_flow.showStatus(
                    Global::ResolveRes(FavouriteAdded, {withoutMarks(entry.display).simplified()}));
            }
            break;
        case OpenProperties:
            if (m_newContact.shown())
                break; // one panel at a time
            m_openedByRemote = true;
            m_properties.LoadProperties();
            break;
        case PassRowOn: // the suite never says to which window
        default:
            break;
        }
    } catch (...) {
        Global::reportCurrentFault("frm_Find:RemoteOp",
                                   QLatin1Char('(') + Global::toText(Param1) + QLatin1Char(':') +
                                       Global::toText(Param2) + QLatin1String(") "));
    }
}

void FinderRemote::prepare(const QString& letters, const QString& page)
{
    std::array<bool, 4> flags{};
    for (int k = 0; k < 4; ++k)
        flags[size_t(k)] = letters.contains(QLatin1Char("NOCF"[k]));
    m_flow.setTypeFlags(flags);
    setSwitch(m_usersAllowed, letters.contains(QLatin1Char('U')),
              &FinderRemote::usersAllowedChanged);
    if (page.isEmpty()) {
        // The page of the last display stays, unless it is the users page
        // and the users are no longer allowed.
        if (m_flow.currentPage() == SearchFlow::UsersPage && !m_usersAllowed)
            m_flow.pageClicked(SearchFlow::SimplePage);
    } else if (page == SearchFlow::UsersPage || page == SearchFlow::SimplePage) {
        m_flow.pageClicked(page);
    }
}

void FinderRemote::picked(const QString& pickText)
{
    emit hideRequested();
    Platform::uiHost().doEvents();
    ReturnPick(pickText);
}

void FinderRemote::propertiesClosed()
{
    if (!m_openedByRemote)
        return;
    m_openedByRemote = false;
    emit hideRequested();
    Platform::uiHost().doEvents();
}

void FinderRemote::openNewContact()
{
    if (!m_properties.shown())
        m_newContact.open(m_flow.clue());
}

void FinderRemote::closePanel()
{
    // Escape leaves the panel for the search page: unlike its Cancel button,
    // it never ends the finder's display.
    if (m_properties.shown()) {
        if (m_properties.rebuilding())
            return;
        m_openedByRemote = false;
        m_properties.cancel();
    } else {
        m_newContact.cancel();
    }
}

bool FinderRemote::refuseClose() const
{
    return m_properties.refuseClose() || m_newContact.refuseClose();
}

void FinderRemote::newContactCreated(const QString& pickText)
{
    emit hideRequested();
    Platform::uiHost().doEvents();
    m_newContact.cancel();
    if (!pickText.isEmpty())
        ReturnPick(pickText);
}

void FinderRemote::ReturnPick(const QString& PickText)
{
    if (m_callerMode == MainWindowMode)
        emit pickedForMainWindow(PickText);
}

} // namespace Finding
