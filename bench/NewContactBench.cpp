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
// The workspace is kept between runs with VANTIX_BENCH_WORKSPACES (see
// ContactsWorkspace.h).
#include "ContactsWorkspace.h"
#include "datafiles/DataFile.h"
#include "finder/NewFolders.h"
#include "index/OpenIndex.h"
#include "index/Packing.h"

#include <benchmark/benchmark.h>

namespace {

using Bench::contactsWorkspace;

void CreateContact(benchmark::State& state)
{
    contactsWorkspace(100'000);
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
    const Bench::ContactsWorkspace& w = contactsWorkspace(100'000);
    for (auto _ : state) {
        for (int n = Indexing::NameIndex; n <= Indexing::UD1Index; ++n) {
            const QString path = Indexing::indexPath(w.folder + QStringLiteral("/Index"), n);
            DataFiles::writeFileAtomically(path, DataFiles::readWholeFile(path));
        }
    }
}
BENCHMARK(RewriteIndexes)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
