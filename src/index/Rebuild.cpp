// SPDX-License-Identifier: GPL-3.0-or-later
#include "Build.h"
#include "IndexWriter.h"
#include "OpenIndex.h"
#include "Packing.h"
#include "Storing.h"
#include "TreeWalk.h"
#include "datafiles/DataFile.h"
#include "platform/FileSystem.h"
#include "platform/UiHost.h"
#include "shared/Files.h"
#include "shared/Messages.h"
#include "shared/Paths.h"

#include <QFileInfo>

#include <memory>
#include <optional>
#include <vector>

namespace Indexing {

using Platform::File;
using Platform::RunTimeError;

namespace {

// String numbers.
enum : int
{
    PathNotAccessible = 134,
    RequiredPathMissing = 135,
    CopyingIndex = 911,
};

bool rebuildingNow = false;

class RebuildingFlag
{
public:
    RebuildingFlag() { rebuildingNow = true; }
    ~RebuildingFlag() { rebuildingNow = false; }
    RebuildingFlag(const RebuildingFlag&) = delete;
    RebuildingFlag& operator=(const RebuildingFlag&) = delete;
};

void runEvents()
{
    Platform::uiHost().doEvents();
}

// The root of the filing tree, or "" after a message when it cannot be
// walked.
QString filingRoot()
{
    const QString root = filingRootPath();
    if (root.isEmpty()) {
        Global::showMessage(RequiredPathMissing, {QStringLiteral("Filing")},
                            Platform::MsgButtons::Ok, Platform::MsgIcon::Exclamation,
                            Global::Str::TitleWarning);
        return {};
    }
    if (!Global::FolderExists(root)) {
        Global::showMessage(PathNotAccessible, {root}, Platform::MsgButtons::Ok,
                            Platform::MsgIcon::Exclamation, Global::Str::TitleWarning);
        return {};
    }
    return root;
}

// One index of a rebuild: its real file, the claim held on it and the flag
// found there, and its new image. While the flag it set stands, the real
// file is the old index, whole; a rebuild that ends without replacing it
// (stopped, failed, or faulted) puts back the flag it found.
class RebuiltIndex
{
public:
    RebuiltIndex(int number, QString path) : m_number(number), m_path(std::move(path)) {}
    RebuiltIndex(const RebuiltIndex&) = delete;
    RebuiltIndex& operator=(const RebuiltIndex&) = delete;
    ~RebuiltIndex()
    {
        if (!m_flagSet)
            return;
        try {
            writeMaintenanceFlag(m_claim, m_flagFound);
        } catch (const RunTimeError& error) {
            showFileFault(m_path, error);
        }
    }

    int number() const { return m_number; }
    const QString& path() const { return m_path; }
    MemoryIndex& image() { return m_image; }

    // Takes the real file for the rebuild: claims it and shuts it to others
    // with the maintenance flag. A missing file has nobody to keep out, and
    // a file that is no index no flag to set: both are made anew. False
    // (after its message) when another rebuild holds the file or the flag
    // cannot be set.
    bool take()
    {
        if (!QFileInfo(m_path).isFile())
            return true;
        try {
            std::optional<File> claim = File::claim(m_path);
            if (!claim) {
                showUnderMaintenance(m_path);
                return false;
            }
            m_claim = std::move(*claim);
            const std::optional<qint16> flag = readIndexFlag(m_claim);
            if (!flag)
                return true;
            m_flagFound = *flag;
            writeMaintenanceFlag(m_claim, MaintenanceFlag);
            m_flagSet = true;
            return true;
        } catch (const RunTimeError& error) {
            showFileFault(m_path, error);
            return false;
        }
    }

    // Renames the new index over the real file; its flag is 0, so the index
    // is free. False after reporting a file that cannot be written.
    bool replace()
    {
        try {
            DataFiles::writeFileAtomically(m_path, m_image.bytes());
            m_flagSet = false;
            return true;
        } catch (const RunTimeError& error) {
            showFileFault(m_path, error);
            return false;
        }
    }

private:
    int m_number;
    QString m_path;
    MemoryIndex m_image;
    File m_claim;
    qint16 m_flagFound = 0;
    bool m_flagSet = false;
};

// Runs a rebuild's body under its error handler, with the busy pointer and
// the rebuilding flag, once the filing tree's root is known; no fields is
// nothing to do.
template <typename Body>
bool rebuild(const QList<qint16>& Fields, Body&& body)
{
    return Global::guarded("Indexing:RebuildIndexFile", [&] {
        if (Fields.isEmpty())
            return true;
        Global::BusyPointerScope busy;
        RebuildingFlag rebuilding;
        const QString root = filingRoot();
        return !root.isEmpty() && body(root);
    });
}

} // namespace

bool rebuildingIndex()
{
    return rebuildingNow;
}

bool RebuildIndexFile(const BuildProgress& ProgressBar, QList<qint16>& Fields)
{
    return rebuild(Fields, [&](const QString& root) {
        // Each new index is built in memory while its real file is shut to
        // other users; the real file keeps serving nobody but stays whole.
        const QString folder = indexFolder();
        const int share = BuildShare / int(Fields.size());
        std::vector<std::unique_ptr<RebuiltIndex>> indexes;
        bool allTaken = true;
        for (qsizetype k = 0; k < Fields.size(); ++k) {
            ProgressBar.value(std::max(0, int(k) * share + share - 1));
            runEvents();
            const int number = Fields[k];
            if (number < NameIndex || number > UD1Index)
                continue;
            auto index = std::make_unique<RebuiltIndex>(
                number, Platform::resolveNoCase(indexPath(folder, number)));
            if (!index->take()) {
                Fields[k] = 0;
                allTaken = false;
                continue;
            }
            indexes.push_back(std::move(index));
        }
        if (indexes.empty())
            return false;

        PackedRefCache packer;
        TreeWalk walk(root, ProgressBar, [&](const FolderIndexValues& folderValues) {
            for (const auto& index : indexes) {
                const QString& values = folderValues.values[index->number() - 1];
                if (storesNothing(values, folderValues.ref, folderValues.kind))
                    continue;
                storeItems(index->image(), index->number(), values,
                           folderValues.displays[index->number() - 1],
                           packer.pack(folderValues.ref, folderValues.kind), folderValues.kind,
                           false, Earlier::None);
            }
        });
        // A stopped walk leaves every real file as it was; the destructors
        // put back the flags.
        if (!walk.run())
            return false;

        bool written = true;
        for (const auto& index : indexes) {
            ProgressBar.label(Global::ResolveRes(CopyingIndex, {IndexTitle(index->path())}));
            runEvents();
            written = index->replace() && written;
        }
        ProgressBar.label(QString());
        return written && allTaken;
    });
}

bool rebuildRecordByRecord(const BuildProgress& ProgressBar, QList<qint16> Fields)
{
    return rebuild(Fields, [&](const QString& root) {
        const int share = BuildShare / int(Fields.size());
        for (qsizetype k = 0; k < Fields.size(); ++k) {
            const int from = int(k) * share;
            if (!BuildIndexFile(ProgressBar, QString::number(Fields[k]), qint16(from),
                                qint16(std::max(0, from + share - 1))))
                Fields[k] = 0;
        }
        struct CloseCache
        {
            ~CloseCache() { AddToIndex(-1, {}, {}, {}, 0, false); }
        } closeCache;
        TreeWalk walk(root, ProgressBar, [&](const FolderIndexValues& folderValues) {
            for (const qint16 field : std::as_const(Fields)) {
                if (field == 0)
                    continue;
                AddToIndex(field, folderValues.values[field - 1], folderValues.displays[field - 1],
                           folderValues.ref, folderValues.kind, true, true);
            }
        });
        return walk.run();
    });
}

} // namespace Indexing
