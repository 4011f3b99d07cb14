// SPDX-License-Identifier: GPL-3.0-or-later
// The postcode address file at the size of a large county's addresses:
// 1,000,000 addresses under about 67,000 postcodes. Each figure beside its
// baseline in the same run:
//   Lookup                 vs  ReadOneRecord (one positioned read of an
//                              address record's bytes of the same open file)
//   OpenAndFirstLookup     vs  OpenAndReadHeader (open, read the fixed part
//                              before the tables, close)
//   BuildCommand (`vantix postcodes build`, a child process: wall time and
//   peak resident memory)  vs  ReadCsv (the CSV's bytes read in this
//                              process) and the peak memory of
//                              `vantix --version`
#include "datafiles/PostcodeFile.h"
#include "platform/File.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <random>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace {

using namespace Routines_RADs;

constexpr int Addresses = 1'000'000;

const char* const Areas[] = {
    "AB", "AL", "B",  "BA", "BB", "BD", "BH", "BL", "BN", "BR", "BS", "CA", "CB", "CF", "CH",
    "CM", "CO", "CR", "CT", "CV", "CW", "DA", "DD", "DE", "DG", "DH", "DL", "DN", "DT", "DY",
    "E",  "EH", "EN", "EX", "FK", "FY", "G",  "GL", "GU", "HA", "HD", "HG", "HP", "HR", "HU",
    "HX", "IG", "IP", "IV", "KA", "KT", "KW", "KY", "L",  "LA", "LD", "LE", "LL", "LN", "LS",
    "LU", "M",  "ME", "MK", "ML", "N",  "NE", "NG", "NN", "NP", "NR", "NW", "OL", "OX", "PA",
    "PE", "PH", "PL", "PO", "PR", "RG", "RH", "RM", "S",  "SA", "SE", "SG", "SK", "SL", "SM",
    "SN", "SO", "SP", "SR", "SS", "ST", "SW", "SY", "TA", "TD", "TF", "TN", "TQ", "TR", "TS",
    "TW", "UB", "W",  "WA", "WC", "WD", "WF", "WN", "WR", "WS", "WV", "YO", "ZE"};
const char* const Streets[] = {
    "High",    "Station",  "Church",    "Park",        "Victoria", "Green", "Manor",
    "Mill",    "School",   "Queens",    "Kings",       "North",    "South", "West",
    "East",    "London",   "Chapel",    "Albert",      "Main",     "New",   "Grange",
    "Orchard", "Windsor",  "Meadow",    "Elm",         "Oak",      "Ash",   "Beech",
    "Willow",  "Cedar",    "Highfield", "Springfield", "Richmond", "York",  "Alexandra",
    "Stanley", "Broadway", "Forest",    "Hill",        "Cross"};
const char* const Kinds[] = {"Road",  "Street", "Lane",    "Avenue",   "Close",
                             "Drive", "Way",    "Gardens", "Crescent", "Terrace"};
const char* const Towns[] = {"Aberdeen",   "St Albans",   "Birmingham", "Bath",       "Blackburn",
                             "Bradford",   "Bournemouth", "Bolton",     "Brighton",   "Bromley",
                             "Bristol",    "Carlisle",    "Cambridge",  "Cardiff",    "Chester",
                             "Chelmsford", "Colchester",  "Croydon",    "Canterbury", "Coventry"};
const char* const Counties[] = {"Aberdeenshire", "Hertfordshire",  "West Midlands", "Somerset",
                                "Lancashire",    "West Yorkshire", "Dorset",        "Kent",
                                "Essex",         "Cheshire"};

struct Data
{
    QTemporaryDir dir;
    QString csv = dir.filePath(QStringLiteral("addresses.csv"));
    QString file = dir.filePath(QStringLiteral("UKPAF.BIN"));
    QStringList postcodes; // a sample of those in the file, in random order
    double buildSeconds = 0;
    double buildPeakMegabytes = 0;
    double versionPeakMegabytes = 0;

    Data()
    {
        std::mt19937 random(7);
        QFile out(csv);
        if (!out.open(QIODevice::WriteOnly))
            std::abort();
        QByteArray text;
        const char units[] = "ABDEFGHJLNPQRSTUWXYZ";
        int written = 0;
        while (written < Addresses) {
            const char* area = Areas[random() % std::size(Areas)];
            const QByteArray postcode = QByteArray(area) + QByteArray::number(1 + random() % 30) +
                                        ' ' + QByteArray::number(random() % 10) +
                                        units[random() % 20] + units[random() % 20];
            const int town = int(random() % std::size(Towns));
            const QByteArray street = QByteArray(Streets[random() % std::size(Streets)]) + ' ' +
                                      Kinds[random() % std::size(Kinds)];
            const int houses = 1 + int(random() % 29);
            if (postcodes.size() < 10'000)
                postcodes << QString::fromLatin1(postcode);
            for (int h = 1; h <= houses && written < Addresses; ++h, ++written) {
                text += postcode + ",,";
                if (h % 7 == 0)
                    text += "Flat " + QByteArray::number(h);
                text += ',' + QByteArray::number(h) + ' ' + street + ",," + Towns[town] + ',' +
                        Counties[town % std::size(Counties)] + ',';
                if (h % 11 == 0)
                    text += QByteArray(Streets[h % std::size(Streets)]) + " Trading Ltd";
                text += '\n';
            }
            if (text.size() > (1 << 20)) {
                out.write(text);
                text.clear();
            }
        }
        out.write(text);
        out.close();
        std::shuffle(postcodes.begin(), postcodes.end(), random);

        buildPeakMegabytes = runChild({"postcodes", "build", csv, file}, &buildSeconds);
        double ignored = 0;
        versionPeakMegabytes = runChild({"--version"}, &ignored);
    }

    // Runs vantix with `args`: its peak resident memory in MB and its wall
    // time.
    static double runChild(const QStringList& args, double* seconds)
    {
        QList<QByteArray> bytes{QByteArray(VANTIX_EXECUTABLE)};
        for (const QString& arg : args)
            bytes << arg.toLocal8Bit();
        std::vector<char*> argv;
        for (QByteArray& b : bytes)
            argv.push_back(b.data());
        argv.push_back(nullptr);
        QElapsedTimer timer;
        timer.start();
        pid_t pid = 0;
        if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
            std::abort();
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status))
            std::abort();
        *seconds = double(timer.nsecsElapsed()) / 1e9;
        return double(usage.ru_maxrss) / 1024.0;
    }
};

Data& data()
{
    static Data shared;
    return shared;
}

void BM_BuildCommand(benchmark::State& state)
{
    Data& d = data();
    for (auto _ : state)
        state.SetIterationTime(d.buildSeconds);
    state.counters["peak_MB"] = d.buildPeakMegabytes;
    state.counters["version_peak_MB"] = d.versionPeakMegabytes;
    state.counters["file_MB"] = double(QFile(d.file).size()) / (1 << 20);
}
BENCHMARK(BM_BuildCommand)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

void BM_ReadCsv(benchmark::State& state)
{
    Data& d = data();
    for (auto _ : state) {
        QFile in(d.csv);
        if (!in.open(QIODevice::ReadOnly))
            std::abort();
        qint64 total = 0;
        while (!in.atEnd())
            total += in.read(1 << 20).size();
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_ReadCsv)->Iterations(3)->Unit(benchmark::kSecond);

void BM_Lookup(benchmark::State& state)
{
    Data& d = data();
    std::optional<PostcodeFile> file = PostcodeFile::open(d.file, QStringLiteral("UKPAF.BIN"));
    qsizetype next = 0, found = 0;
    for (auto _ : state) {
        found += file->lookup(d.postcodes[next]).matches();
        next = (next + 1) % d.postcodes.size();
    }
    if (found == 0)
        state.SkipWithError("nothing found");
    state.counters["addresses_per_lookup"] = double(found) / double(state.iterations());
}
BENCHMARK(BM_Lookup)->Unit(benchmark::kMicrosecond);

void BM_ReadOneRecord(benchmark::State& state)
{
    Data& d = data();
    Platform::File file =
        Platform::File::open(d.file, Platform::File::Binary | Platform::File::Read);
    const qint64 records =
        (file.size() - DataFiles::Postcode::ContentsPosition) / DataFiles::Postcode::RecordSize;
    std::mt19937 random(3);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            file.readAt(DataFiles::Postcode::ContentsPosition +
                            qint64(random() % quint64(records)) * DataFiles::Postcode::RecordSize,
                        DataFiles::Postcode::RecordSize));
}
BENCHMARK(BM_ReadOneRecord)->Unit(benchmark::kMicrosecond);

void BM_OpenAndFirstLookup(benchmark::State& state)
{
    Data& d = data();
    qsizetype next = 0;
    for (auto _ : state) {
        std::optional<PostcodeFile> file = PostcodeFile::open(d.file, QStringLiteral("UKPAF.BIN"));
        benchmark::DoNotOptimize(file->lookup(d.postcodes[next]));
        next = (next + 1) % d.postcodes.size();
    }
}
BENCHMARK(BM_OpenAndFirstLookup)->Unit(benchmark::kMicrosecond);

void BM_OpenAndReadHeader(benchmark::State& state)
{
    Data& d = data();
    for (auto _ : state) {
        Platform::File file =
            Platform::File::open(d.file, Platform::File::Binary | Platform::File::Read);
        benchmark::DoNotOptimize(file.readAt(1, DataFiles::Postcode::ContentsPosition - 1));
        file.close();
    }
}
BENCHMARK(BM_OpenAndReadHeader)->Unit(benchmark::kMicrosecond);

} // namespace
