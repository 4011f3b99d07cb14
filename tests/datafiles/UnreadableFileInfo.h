// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The states in which a folder information file is there but cannot be read
// whole, each with the box it gives and the answer that leaves the file be.

#include "DataFileTesting.h"
#include "platform/File.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace Testing {

struct UnreadableFileInfo
{
    const char* state;
    QByteArray bytes;
    bool held; // another user holds it open, shut to readers
    Platform::MsgAnswer answer;
    const char* box;

    // Writes the file in this state; the file held open when `held`.
    Platform::File put(const QString& path) const
    {
        writeBytes(path, bytes);
        if (!held)
            return {};
        return Platform::File::open(path, Platform::File::Binary | Platform::File::Read |
                                              Platform::File::Write | Platform::File::Locked);
    }
};

// The states of `good`, a whole folder information file.
inline std::vector<UnreadableFileInfo> unreadableFileInfo(const QByteArray& good)
{
    QByteArray newer = good;
    newer.replace(13, 4, hex("0ad7233c")); // 0.01
    return {
        {"held by another user", good, true, Platform::MsgAnswer::Cancel,
         "It may be in use by another user or program."},
        {"a newer version", newer, false, Platform::MsgAnswer::Ok,
         "(File is v0.01, Vantix expects v0.009)"},
        {"another kind", QByteArray("Zux Profile and more"), false, Platform::MsgAnswer::No,
         "Do you want to delete the file now?"},
        {"cut short", good.left(good.size() - 3), false, Platform::MsgAnswer::No,
         "Do you want to delete the file now?"},
    };
}

} // namespace Testing
