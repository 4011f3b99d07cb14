// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "RecordSamples.h"

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

} // namespace Testing
