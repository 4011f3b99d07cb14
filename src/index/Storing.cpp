// SPDX-License-Identifier: GPL-3.0-or-later
#include "Storing.h"

#include "Build.h"
#include "Packing.h"
#include "platform/RunTimeError.h"
#include "platform/UiHost.h"
#include "shared/Messages.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace Indexing {
namespace {

constexpr int ReferenceTooLong = 919;
constexpr int IndexToRebuild = 739;
constexpr int DiskFull = 973;
constexpr int NotWritten = 974;
const QChar ItemEnd(0);

} // namespace

bool storesNothing(const QString& values, const QString& ref, qint16 kind)
{
    return values.isEmpty() || ref.isEmpty() || !isIndexedKind(kind);
}

void showReferenceTooLong(const QString& folder)
{
    Global::showMessage(ReferenceTooLong, {folder, QString::number(MaxStoredRefLength)},
                        Platform::MsgButtons::Ok, Platform::MsgIcon::Exclamation,
                        Global::Str::TitleWarning);
}

void showFileFault(const QString& file, const Platform::RunTimeError& error)
{
    using Platform::RunTimeError;
    // The writer refuses to write what damage would lead astray.
    const int text = error.number() == RunTimeError::DiskFull              ? DiskFull
                     : error.number() == RunTimeError::SubscriptOutOfRange ? IndexToRebuild
                                                                           : NotWritten;
    Global::showMessage(text, {file, error.description()}, Platform::MsgButtons::Ok,
                        Platform::MsgIcon::Exclamation, Global::Str::TitleWarning);
}

bool referenceFits(const FolderIndexValues& values, const QString& folder)
{
    if (values.ref.size() <= MaxStoredRefLength ||
        std::all_of(values.values.begin(), values.values.end(),
                    [&](const QString& v) { return storesNothing(v, values.ref, values.kind); }))
        return true;
    showReferenceTooLong(folder);
    return false;
}

const QByteArray& PackedRefCache::pack(const QString& ref, qint16 kind)
{
    if (!m_valid || ref != m_ref || kind != m_kind) {
        qint16 flags = kind;
        m_packed = KwPack(ref, flags);
        m_ref = ref;
        m_kind = kind;
        m_valid = true;
    }
    return m_packed;
}

void storeItems(IndexStorage& storage, int index, QString values, QString displays,
                QByteArrayView packedRef, qint16 kind, bool eventsPerValue, Earlier earlier)
{
    if (!values.endsWith(ItemEnd))
        values += ItemEnd;
    if (!displays.endsWith(ItemEnd))
        displays += ItemEnd;
    std::vector<std::pair<KeyWords, QString>> items;
    qsizetype nextValue = 0;
    qsizetype nextDisplay = 0;
    while (nextValue < values.size()) {
        const qsizetype valueEnd = values.indexOf(ItemEnd, nextValue);
        const QString value = values.mid(nextValue, valueEnd - nextValue);
        nextValue = valueEnd + 1;
        QString display;
        if (nextDisplay < displays.size()) {
            const qsizetype displayEnd = displays.indexOf(ItemEnd, nextDisplay);
            display = displays.mid(nextDisplay, displayEnd - nextDisplay);
            nextDisplay = displayEnd + 1;
        }
        items.emplace_back(keyWords(value, index, kind), std::move(display));
    }
    if (earlier == Earlier::TakenOut) {
        QList<Cell> cells;
        for (const auto& item : items) {
            for (const QString& word : item.first.words)
                cells << cellOf(word);
        }
        takeOutFolder(storage, cells, packedRef);
    }
    for (const auto& [words, display] : items) {
        storeWords(storage, words, display, packedRef);
        if (eventsPerValue)
            Platform::uiHost().doEvents();
    }
    if (earlier == Earlier::TakenOut)
        closeGaps(storage);
}

} // namespace Indexing
