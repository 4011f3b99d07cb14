// SPDX-License-Identifier: GPL-3.0-or-later
// A new company and contact on a demo workspace of 100,000 people, beside
// its baseline in the same run:
//   CreateContact  the company and contact folders made from the panel's
//                  fields, their index tasks carried out at once (the four
//                  indexes read, added to and replaced, synced), against
//   RewriteIndexes the four index files read whole and replaced whole with
//                  the same bytes, synced, as any change of them costs.
// The ratio to read: CreateContact / RewriteIndexes (near 1: making the
// folders and gathering their values costs little beside the indexes).
//
// Making a workspace of 100,000 people takes minutes; with
// VANTIX_BENCH_WORKSPACES set to a folder, the workspace is kept there and
// used again by later runs (the contacts each run adds stay in it).
#include "datafiles/DataFile.h"
#include "demo/Demo.h"
#include "finder/NewFolders.h"
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

#include <benchmark/benchmark.h>

#include <memory>
#include <stdexcept>

namespace {

constexpr int Contacts = 100'000;

struct Workspace
{
    QTemporaryDir dir;
    QString folder;
};

const Workspace& workspace()
{
    static std::unique_ptr<Workspace> made;
    if (made)
        return *made;
    made = std::make_unique<Workspace>();
    const QString kept = qEnvironmentVariable("VANTIX_BENCH_WORKSPACES");
    made->folder = kept.isEmpty() ? made->dir.filePath(QStringLiteral("ws"))
                                  : kept + QStringLiteral("/contacts-") + QString::number(Contacts);
    if (!QFileInfo::exists(made->folder + QStringLiteral("/registry.sqlite3"))) {
        Demo::DemoOptions options;
        options.contacts = Contacts;
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

void CreateContact(benchmark::State& state)
{
    workspace();
    int made = 0;
    for (auto _ : state) {
        FileOperations::NewContactFields fields;
        fields.companyName = QStringLiteral("Bench Company %1").arg(made);
        fields.contactName = QStringLiteral("Bench Person %1").arg(made++);
        fields.address = {QStringLiteral("1 High Street"), QString(), QString(),
                          QStringLiteral("Leeds"),         QString(), QStringLiteral("LS1 0NG")};
        fields.numbers = {{QStringLiteral("0113 496 0000"), FileOperations::TelephoneNumber}};
        const FileOperations::CreatedFolders created =
            FileOperations::CreateQuickAndDirtyCompany(fields, {});
        if (created.contactRef.isEmpty() || created.tasks.done != 2)
            state.SkipWithError("the contact was not made and indexed");
    }
}
BENCHMARK(CreateContact)->Unit(benchmark::kMillisecond)->Iterations(20);

void RewriteIndexes(benchmark::State& state)
{
    const Workspace& w = workspace();
    for (auto _ : state) {
        for (int n = Indexing::NameIndex; n <= Indexing::UD1Index; ++n) {
            const QString path = Indexing::indexPath(w.folder + QStringLiteral("/Index"), n);
            DataFiles::writeFileAtomically(path, DataFiles::readWholeFile(path));
        }
    }
}
BENCHMARK(RewriteIndexes)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
