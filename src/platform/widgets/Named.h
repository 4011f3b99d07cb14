// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

namespace Platform {

// A control given the name its window knows it by (tests and scripts find
// it by that name), handed back for chaining.
template <typename T>
T* named(T* control, const QString& name)
{
    control->setObjectName(name);
    return control;
}

} // namespace Platform
