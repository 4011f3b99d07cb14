// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "demo/Demo.h"
#include "platform/RegistryHive.h"
#include "shared/Paths.h"
#include "shared/Settings.h"

#include <QTemporaryDir>

namespace Testing {

// A small demo workspace whose settings are those of the process (its data
// paths checked) for the life of the object.
class DemoWorkspace
{
public:
    explicit DemoWorkspace(int contacts)
    {
        Demo::DemoOptions options;
        options.contacts = contacts;
        options.emailsPerJob = 0;
        made = Demo::createWorkspace(m_dir.filePath(QStringLiteral("ws")), options);
        Global::setSettingsHive(Platform::RegistryHive::open(made.registry));
        Global::GetDataFolder(QString(), true);
        Global::CheckPaths();
    }
    ~DemoWorkspace()
    {
        Global::GetDataFolder(QString(), true);
        Global::setSettingsHive(nullptr);
    }
    DemoWorkspace(const DemoWorkspace&) = delete;
    DemoWorkspace& operator=(const DemoWorkspace&) = delete;

private:
    QTemporaryDir m_dir;

public:
    Demo::DemoSummary made;
};

} // namespace Testing
