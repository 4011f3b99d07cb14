// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "RecordSamples.h"
#include "ScriptedUiHost.h"
#include "TestSettings.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

namespace Testing {

inline QByteArray hex(const char* text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

inline QString writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    return path;
}

inline QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// A record read from a file cut short: its leaves agree with the whole
// record's (`full`, its leaves) up to some leaf and are all empty from there on. Gives that leaf.
template <DataFiles::PackedRecord R>
qsizetype expectFieldsSoFar(const R& part, const QStringList& full, const std::string& where)
{
    const QStringList got = Fixtures::leavesOf(part);
    qsizetype same = 0;
    while (same < got.size() && same < full.size() && got[same] == full[same])
        ++same;
    for (qsizetype i = same; i < got.size(); ++i)
        EXPECT_TRUE(Fixtures::isEmptyLeaf(got[i]))
            << where << ": leaf " << i << " " << got[i].toStdString();
    return same;
}

// Reads the file `bytes` cut at every length with `read(path, quiet)`:
// quietly while it is shorter than its header of `headerSize` bytes, which
// must give the empty record; after that, without a message, the fields so
// far, never fewer for a longer cut.
template <DataFiles::PackedRecord R, class Read>
void expectEveryTruncation(const QByteArray& bytes, qsizetype headerSize, const R& whole,
                           const QString& path, Read read)
{
    const QStringList leaves = Fixtures::leavesOf(whole);
    qsizetype lastLeaf = 0;
    for (qsizetype length = 0; length < bytes.size(); ++length) {
        const R part = read(writeBytes(path, bytes.left(length)), length < headerSize);
        const qsizetype same = expectFieldsSoFar(part, leaves, std::to_string(length));
        EXPECT_GE(same, lastLeaf) << length;
        lastLeaf = same;
        if (length < headerSize) {
            EXPECT_EQ(part, R()) << length;
        }
    }
}

// A data-file test: a settings hive (for the file helpers' tweaks), a UI
// host that checks every box, and file names in a folder of its own.
class DataFileTest : public testing::Test
{
protected:
    TestSettings settings;
    ScriptedUiHost host;
    QString path(const QString& name) const { return settings.folder() + QLatin1Char('/') + name; }
    QString path(const char* name) const { return path(QString::fromUtf8(name)); }
};

} // namespace Testing
