// SPDX-License-Identifier: GPL-3.0-or-later
// The international database of the demo (208 countries, the United
// Kingdom's area codes), each step beside its baseline:
//   opening it (read, checked, decoded)  vs  reading its bytes
//   a look-up in the open database       vs  picking the number's digits out
#include "datafiles/CountryLists.h"
#include "datafiles/DataFile.h"
#include "demo/Countries.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

const QString Number = QStringLiteral("+44 (0)17687 12345");

struct Database
{
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("International.bin"));
    DataFiles::InternationalRecord record = Demo::internationalDatabase();

    Database() { FileOperations::writeInternationalFile(path, record); }
};

Database& database()
{
    static Database shared;
    return shared;
}

void BM_InternationalBytes(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(DataFiles::readWholeFile(database().path));
}
BENCHMARK(BM_InternationalBytes);

void BM_InternationalOpen(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(FileOperations::readInternationalFile(database().path));
}
BENCHMARK(BM_InternationalOpen);

void BM_NumberDigits(benchmark::State& state)
{
    for (auto _ : state) {
        QString digits;
        for (const QChar c : Number) {
            if (c.isDigit())
                digits += c;
        }
        benchmark::DoNotOptimize(digits);
    }
}
BENCHMARK(BM_NumberDigits);

void BM_AreaCodeLookUp(benchmark::State& state)
{
    FileOperations::setInternationalFilePath(database().path);
    QString place;
    for (auto _ : state) {
        QString command = Number;
        benchmark::DoNotOptimize(FileOperations::PlaceFromAreaCode(
            {}, command, place, QStringLiteral("United Kingdom")));
    }
    if (place != QLatin1String("Keswick"))
        state.SkipWithError("the look-up found no place");
}
BENCHMARK(BM_AreaCodeLookUp);

} // namespace
