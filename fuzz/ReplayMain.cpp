// SPDX-License-Identifier: GPL-3.0-or-later
// Replays a fuzz target's seed corpus (and any crash files given) as a plain
// program, so that the test run checks every reader against its seeds.
#include "platform/Environment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char* argv[])
{
    Platform::prepareGuiEnvironment();
    QGuiApplication app(argc, argv);
    int replayed = 0;
    for (const QString& arg : app.arguments().mid(1)) {
        QStringList files;
        if (QFileInfo(arg).isDir()) {
            for (const QString& name : QDir(arg).entryList(QDir::Files, QDir::Name))
                files << QDir(arg).filePath(name);
        } else {
            files << arg;
        }
        for (const QString& path : files) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
                return 1;
            }
            const QByteArray bytes = file.readAll();
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                   size_t(bytes.size()));
            ++replayed;
        }
    }
    std::printf("replayed %d inputs\n", replayed);
    return replayed > 0 ? 0 : 1;
}
