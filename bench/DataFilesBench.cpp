// SPDX-License-Identifier: GPL-3.0-or-later
// The data-file readers, each beside reading the same file's bytes (open,
// read whole, close), so that the cost of decoding shows as a ratio:
//   ReadEvent   of a 20 KB e-mail   vs  reading its bytes
//   ReadProfile of a filled profile vs  reading its bytes
#include "RecordSamples.h"
#include "datafiles/DataFile.h"
#include "datafiles/EventFile.h"
#include "datafiles/ProfileFile.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

struct Files
{
    QTemporaryDir dir;
    QString event = dir.filePath(QStringLiteral("EMI_1.emi"));
    QString profile = dir.filePath(QStringLiteral("Profile.pro"));

    Files()
    {
        DataFiles::EventRecord mail = Fixtures::sampleRecord<DataFiles::EventRecord>();
        mail.Subject = QStringLiteral("Contact form");
        QString body = QStringLiteral("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 ");
        for (int line = 0; body.size() < 20'000; ++line)
            body +=
                QStringLiteral("Field%1: value of field %1 from the web form\\par\r\n").arg(line);
        mail.Body = body + QLatin1Char('}');
        FileOperations::writeEventFile(event, mail);

        DataFiles::ProfileRecord details = Fixtures::sampleRecord<DataFiles::ProfileRecord>();
        std::fill(details.addresses.begin() + 2, details.addresses.end(),
                  DataFiles::ProfileAddress());
        std::fill(details.contacts.begin() + 4, details.contacts.end(),
                  DataFiles::ProfileContactPoint());
        Routines_ProfileFile::writeProfile(profile, details);
    }
};

Files& files()
{
    static Files shared;
    return shared;
}

// Reads `path` with `read` as often as the benchmark asks.
template <class Read>
void readRepeatedly(benchmark::State& state, const QString& path, Read read)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(read(path));
    state.SetItemsProcessed(state.iterations());
}

const auto bytesOf = [](const QString& path) { return DataFiles::readWholeFile(path); };

void BM_ReadEventBytes(benchmark::State& state)
{
    readRepeatedly(state, files().event, bytesOf);
}
BENCHMARK(BM_ReadEventBytes);

void BM_ReadEvent(benchmark::State& state)
{
    readRepeatedly(state, files().event,
                   [](const QString& p) { return FileOperations::ReadEvent(p); });
}
BENCHMARK(BM_ReadEvent);

void BM_ReadProfileBytes(benchmark::State& state)
{
    readRepeatedly(state, files().profile, bytesOf);
}
BENCHMARK(BM_ReadProfileBytes);

void BM_ReadProfile(benchmark::State& state)
{
    readRepeatedly(state, files().profile,
                   [](const QString& p) { return Routines_ProfileFile::ReadProfile(p); });
}
BENCHMARK(BM_ReadProfile);

} // namespace
