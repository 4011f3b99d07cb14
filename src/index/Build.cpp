// SPDX-License-Identifier: GPL-3.0-or-later
#include "Build.h"

#include "OpenIndex.h"
#include "Packing.h"
#include "Storing.h"
#include "datafiles/DataFile.h"
#include "platform/UiHost.h"
#include "shared/Files.h"
#include "shared/Messages.h"
#include "shared/Paths.h"

#include <climits>
#include <cmath>
#include <vector>

namespace Indexing {

using Platform::File;
using Platform::RunTimeError;

namespace {

// An empty index has one third-level table for each of these steps.
constexpr int BuildSteps = 400;
constexpr int CouldNotCreateFile = 915;

// The open-index cache of AddToIndex.
struct CachedIndex
{
    QString fileName;
    File file;
};

std::vector<CachedIndex>& openIndexes()
{
    static std::vector<CachedIndex> cache;
    return cache;
}

PackedRefCache& lastPackedRef()
{
    static PackedRefCache cache;
    return cache;
}

// An index named by its number ("2") or its file name ("Pcode", "pcode.bin");
// 0 for none.
int indexNumberOf(const QString& indexName)
{
    bool isNumber = false;
    const int number = indexName.trimmed().toInt(&isNumber);
    if (isNumber)
        return number >= NameIndex && number <= UD1Index ? number : 0;
    return indexNumber(indexName);
}

// Moves the progress as making the 400 third-level tables one by one would,
// reporting each value once.
void reportBuildSteps(const BuildProgress& progress, int from, int to)
{
    int shown = INT_MIN;
    for (int step = 1; step <= BuildSteps; ++step) {
        const int value = from + int(std::floor(double(step) / BuildSteps * (to - from)));
        if (value != shown) {
            shown = value;
            progress.value(value);
            Platform::uiHost().doEvents();
        }
    }
}

} // namespace

bool BuildIndexFile(const BuildProgress& ProgressBar, const QString& IndexName, qint16 ProgressFrom,
                    qint16 ProgressTo)
{
    return Global::guarded("Indexing:BuildIndexFile", [&] {
        const int number = indexNumberOf(IndexName);
        if (number == 0)
            return false;
        // Written whole beside the old file and renamed over it: a reader
        // meets the old index or the new one.
        try {
            DataFiles::writeFileAtomically(indexPath(indexFolder(), number), emptyIndexBytes());
        } catch (const RunTimeError&) {
            Global::showText(Global::ResolveRes(CouldNotCreateFile), Platform::MsgButtons::Ok,
                             Platform::MsgIcon::None, Global::applicationTitle());
            return false;
        }
        Global::BusyPointerScope busy;
        reportBuildSteps(ProgressBar, ProgressFrom, ProgressTo);
        return true;
    });
}

bool AddToIndex(int IndexNo, QString Values, QString Displays, const QString& Ref, qint16 Kind,
                bool AllowMessages, bool KeepOpen)
{
    return Global::guarded("Indexing:AddToIndex", [&] {
        std::vector<CachedIndex>& cache = openIndexes();
        if (IndexNo == -1) {
            for (CachedIndex& cached : cache)
                cached.file.close();
            cache.clear();
            return true;
        }
        if (IndexNo < NameIndex || IndexNo > UD1Index || storesNothing(Values, Ref, Kind))
            return false;
        if (Ref.size() > MaxStoredRefLength) {
            if (AllowMessages) {
                // Named by its folder where the tree holds one of that
                // reference, else by the reference.
                const QString folder = Global::ResolveFolderRef(Ref);
                showReferenceTooLong(folder.endsWith(u'[' + Ref + u']') ? folder : Ref);
            }
            return false;
        }
        const QByteArray packedRef = lastPackedRef().pack(Ref, Kind);

        const QString fileName = indexPath(indexFolder(), IndexNo);
        File once;
        File* file = nullptr;
        if (KeepOpen) {
            for (CachedIndex& cached : cache) {
                if (cached.fileName == fileName)
                    file = &cached.file;
            }
        }
        if (!file) {
            OpenOutcome opened = OpenIndex(fileName, !AllowMessages);
            if (!opened.usable())
                return false;
            if (KeepOpen) {
                cache.push_back({fileName, std::move(opened.file)});
                file = &cache.back().file;
            } else {
                once = std::move(opened.file);
                file = &once;
            }
        }
        FileStorage storage(*file);
        storeItems(storage, IndexNo, std::move(Values), std::move(Displays), packedRef, Kind, true,
                   Earlier::TakenOut);
        if (!KeepOpen)
            once.close();
        return true;
    });
}

} // namespace Indexing
