// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "demo/Demo.h"
#include "platform/RegistryHive.h"
#include "shared/Paths.h"
#include "shared/Settings.h"

namespace Testing {

// A small demo workspace made in `folder`, its settings the process's.
inline Demo::DemoSummary openDemoWorkspace(const QString& folder)
{
    Demo::DemoOptions options;
    options.contacts = 10;
    Demo::DemoSummary made = Demo::createWorkspace(folder, options);
    Global::setSettingsHive(Platform::RegistryHive::open(made.registry));
    // Folder settings and the mode's switch are kept per run: read this
    // workspace's.
    Global::GetDataFolder(QString(), true);
    Global::FindFolderByRef(QString(), QString());
    return made;
}

} // namespace Testing
