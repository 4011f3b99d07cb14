// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A demo workspace of many people with its index, the settings of the
// process pointed at it, for the benchmarks that add contacts to it.
//
// Making a workspace of 100,000 people takes minutes; with
// VANTIX_BENCH_WORKSPACES set to a folder, the workspace is kept there and
// used again by later runs (the contacts each run adds stay in it).
#include "demo/Demo.h"
#include "index/Build.h"
#include "index/OpenIndex.h"
#include "index/Packing.h"
#include "index/TaskFile.h"
#include "platform/RegistryHive.h"
#include "shared/Paths.h"
#include "shared/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <memory>
#include <stdexcept>

namespace Bench {

struct ContactsWorkspace
{
    QTemporaryDir dir;
    QString folder;
};

// The workspace of `contacts` people (one a process).
inline const ContactsWorkspace& contactsWorkspace(int contacts)
{
    static std::unique_ptr<ContactsWorkspace> made;
    if (made)
        return *made;
    made = std::make_unique<ContactsWorkspace>();
    const QString kept = qEnvironmentVariable("VANTIX_BENCH_WORKSPACES");
    made->folder = kept.isEmpty() ? made->dir.filePath(QStringLiteral("ws"))
                                  : kept + QStringLiteral("/contacts-") + QString::number(contacts);
    if (!QFileInfo::exists(made->folder + QStringLiteral("/registry.sqlite3"))) {
        Demo::DemoOptions options;
        options.contacts = contacts;
        options.emailsPerJob = 0;
        Demo::createWorkspace(made->folder, options);
    }
    Global::setSettingsHive(
        Platform::RegistryHive::open(made->folder + QStringLiteral("/registry.sqlite3")));
    Global::GetDataFolder(QString(), true);
    const QString indexes = made->folder + QStringLiteral("/Index");
    Indexing::setIndexFolder(indexes);
    Indexing::setTaskFilePath(made->dir.filePath(QStringLiteral("taskfile.bin")));
    // The demo's own index, as `vantix demo` builds it.
    if (!QFileInfo::exists(Indexing::indexPath(indexes, Indexing::NameIndex))) {
        QDir().mkpath(indexes);
        if (!Indexing::RebuildIndexFile({}, {1, 2, 3, 4}))
            throw std::runtime_error("the demo's index could not be built");
    }
    return *made;
}

} // namespace Bench
