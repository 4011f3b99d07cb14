// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "index/IndexWriter.h"
#include "index/Packing.h"

#include <QFile>
#include <QList>
#include <QString>

#include <gtest/gtest.h>

#include <utility>

namespace Testing {

// Writes index `number` into `folder`: one value a name (its own display),
// each for the folder of the reference given, of folder kind `kind`.
inline void writeIndexOfNames(const QString& folder, int number,
                              const QList<std::pair<QString, int>>& names, qint16 kind = 1)
{
    Indexing::MemoryIndex index;
    for (const auto& [name, ref] : names) {
        qint16 flags = kind;
        Indexing::storeValue(index, number, name, name,
                             Indexing::KwPack(QString::number(ref), flags), kind);
    }
    QFile file(Indexing::indexPath(folder, number));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(index.bytes());
}

} // namespace Testing
