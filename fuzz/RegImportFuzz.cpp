// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary text to the settings import. Besides crashes it checks that whatever an
// import accepted exports to a text that imports into an empty hive and exports unchanged.
#include "platform/RegistryHive.h"

#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using Platform::HiveError;
using Platform::RegistryHive;

namespace {

struct Hives
{
    Hives()
        : target(RegistryHive::open(dir.filePath(QStringLiteral("target.sqlite3")))),
          copy(RegistryHive::open(dir.filePath(QStringLiteral("copy.sqlite3"))))
    {}

    QTemporaryDir dir;
    std::unique_ptr<RegistryHive> target;
    std::unique_ptr<RegistryHive> copy;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Hives hives;
    // Emptied each time so that one input's outcome does not depend on those before it.
    hives.target->deleteKey(QString());
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        hives.target->importText(text);
    } catch (const HiveError&) {
        return 0;
    }

    const QString exported = hives.target->exportText(QString());
    hives.copy->deleteKey(QString());
    hives.copy->importText(exported);
    if (hives.copy->exportText(QString()) != exported)
        std::abort();
    return 0;
}
