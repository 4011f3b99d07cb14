// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/UiHost.h"

#include <QtGlobal>

namespace Routines_Converters {

// Lets the event queue run once for every 64 Ki characters a conversion
// passes, so that the window answers during a long conversion without the
// queue slowing the work down.
class EventPacer
{
public:
    static constexpr qsizetype Step = 64 * 1024;

    // `position` counts the characters of the current pass done so far.
    void reach(qsizetype position)
    {
        if (position - m_last >= Step) {
            Platform::uiHost().doEvents();
            m_last = position;
        }
    }
    // A new pass starts at position 0; `done` is the size of the one that ended.
    void passEnded(qsizetype done)
    {
        reach(done);
        m_last -= done;
    }

private:
    qsizetype m_last = 0;
};

} // namespace Routines_Converters
