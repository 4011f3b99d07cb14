// SPDX-License-Identifier: GPL-3.0-or-later
// Settings, tweaks and messages, each beside the bare operation it is built
// on, so that the cost of the suite's rules shows as a ratio:
//   GetRegistryData  vs the hive's own read, on a hive of 10,000 values
//   SaveRegistryData vs the hive's own write
//   opening the hive vs SQLite's full check of it, which no open runs
//   GetTweak (kept)  vs a plain array read
//   ResolveRes       vs three plain text replacements
#include "platform/RegistryHive.h"
#include "shared/Messages.h"
#include "shared/Settings.h"
#include "shared/Tweaks.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int Branches = 100;
constexpr int ValuesPerBranch = 100;

// One hive of 10,000 values for the whole run.
struct Hive
{
    QTemporaryDir dir;
    Platform::RegistryHive* hive = nullptr;

    Hive()
    {
        auto opened = Platform::RegistryHive::open(dir.filePath(QStringLiteral("bench.sqlite3")));
        hive = opened.get();
        QString reg = QStringLiteral("REGEDIT4\n\n");
        for (int b = 0; b < Branches; ++b) {
            reg +=
                QStringLiteral("[HKEY_CURRENT_USER\\Software\\Zux\\Vantix\\Tagmill\\PAGE%1HTM]\n")
                    .arg(b);
            for (int v = 0; v < ValuesPerBranch; ++v)
                reg += QStringLiteral("\"<!-- field %1 -->\"=\"Field%1\"\n").arg(v);
        }
        hive->importText(reg);
        Global::setSettingsHive(std::move(opened));
    }
};

Hive& hive()
{
    static Hive shared;
    return shared;
}

void BM_HiveValue(benchmark::State& state)
{
    Platform::RegistryHive& h = *hive().hive;
    const QString path = QStringLiteral("Software\\Zux\\Vantix\\Tagmill\\PAGE42HTM");
    const QString name = QStringLiteral("<!-- field 42 -->");
    for (auto _ : state)
        benchmark::DoNotOptimize(h.value(path, name));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_HiveValue);

void BM_GetRegistryData(benchmark::State& state)
{
    hive();
    const QString section = QStringLiteral("Tagmill\\PAGE42HTM");
    const QString key = QStringLiteral("<!-- field 42 -->");
    for (auto _ : state)
        benchmark::DoNotOptimize(Global::GetRegistryData(section, key));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetRegistryData);

void BM_HiveSetValue(benchmark::State& state)
{
    Platform::RegistryHive& h = *hive().hive;
    const QString path = QStringLiteral("Software\\Zux\\Vantix\\Bench");
    int i = 0;
    for (auto _ : state)
        h.setValue(path, QStringLiteral("Value%1").arg(i++ % 1000), QStringLiteral("text"));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_HiveSetValue);

void BM_SaveRegistryData(benchmark::State& state)
{
    hive();
    int i = 0;
    for (auto _ : state)
        Global::SaveRegistryData(QStringLiteral("Bench"), QStringLiteral("Value%1").arg(i++ % 1000),
                                 QStringLiteral("text"));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SaveRegistryData);

// Every command opens the hive once: what a scripted call pays before its first setting.
void BM_HiveOpen(benchmark::State& state)
{
    const QString path = hive().hive->path();
    for (auto _ : state)
        benchmark::DoNotOptimize(Platform::RegistryHive::open(path));
}
BENCHMARK(BM_HiveOpen)->Unit(benchmark::kMicrosecond);

void BM_HiveIntegrityCheck(benchmark::State& state)
{
    Platform::RegistryHive& h = *hive().hive;
    for (auto _ : state)
        benchmark::DoNotOptimize(h.integrityProblems());
}
BENCHMARK(BM_HiveIntegrityCheck)->Unit(benchmark::kMicrosecond);

void BM_ArrayRead(benchmark::State& state)
{
    static Global::TweakRecord records[84];
    records[3].value = 6.0;
    for (auto _ : state) {
        Global::TweakRecord copy = records[3];
        benchmark::DoNotOptimize(copy);
    }
}
BENCHMARK(BM_ArrayRead);

void BM_GetTweakKept(benchmark::State& state)
{
    hive();
    Global::GetTweak(Global::Tweak::BalloonDelay);
    for (auto _ : state)
        benchmark::DoNotOptimize(Global::GetTweak(Global::Tweak::BalloonDelay));
}
BENCHMARK(BM_GetTweakKept);

// String 701 includes string 50 three times; the benchmark gives it three
// values, as a reader of a data file does.
void BM_PlainReplace(benchmark::State& state)
{
    const QString text = QStringLiteral("The file \"|1\" is not compatible with this version of "
                                        "Vantix.\r\n\r\n(File is v|2, Vantix expects v|3)");
    for (auto _ : state) {
        QString t = text;
        t.replace(QLatin1String("|1"), QLatin1String("/data/job/EMI_0001.emi"));
        t.replace(QLatin1String("|2"), QLatin1String("0.012"));
        t.replace(QLatin1String("|3"), QLatin1String("0.013"));
        benchmark::DoNotOptimize(t);
    }
}
BENCHMARK(BM_PlainReplace);

void BM_ResolveRes(benchmark::State& state)
{
    const QVariantList values{QStringLiteral("/data/job/EMI_0001.emi"), QStringLiteral("0.012"),
                              QStringLiteral("0.013")};
    for (auto _ : state)
        benchmark::DoNotOptimize(Global::ResolveRes(701, values));
}
BENCHMARK(BM_ResolveRes);

} // namespace
