// SPDX-License-Identifier: GPL-3.0-or-later
// Address-book cards imported into a demo workspace of 100,000 people, beside
// their baseline in the same run:
//   ImportCards  10,000 vCards read and imported (importContacts): each card
//                looked for in the index as a duplicate, its company and
//                contact folders made, the index tasks carried out once at
//                the end, against
//   MakeFolders  the same cards' folders made alone from the same fields
//                (CreateQuickAndDirtyCompany, the tasks queued) and the tasks
//                carried out once at the end.
// The ratio to read: ImportCards / MakeFolders (at most 2: reading the cards
// and looking each up costs less than making its folders). The baseline
// runs first, and each twice: the first run of a process meets a cold
// workspace.
//
// VANTIX_BENCH_CONTACTS and VANTIX_BENCH_CARDS run it at another scale; the
// workspace is kept between runs with VANTIX_BENCH_WORKSPACES (see
// ContactsWorkspace.h). Each run adds its cards' folders to the workspace
// under names of its own.
#include "ContactsWorkspace.h"
#include "finder/ContactImport.h"
#include "index/IndexTasks.h"

#include <QDateTime>

#include <benchmark/benchmark.h>

namespace {

int setting(const char* name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value > 0 ? value : fallback;
}

const int Contacts = setting("VANTIX_BENCH_CONTACTS", 100'000);
const int Cards = setting("VANTIX_BENCH_CARDS", 10'000);

// A word of eight letters drawn from `n` (splitmix64), so that the names
// of the cards fall into the index's cells as real names do, not all into
// one.
QString word(quint64 n)
{
    quint64 z = n + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    QString word;
    for (int i = 0; i < 8; ++i, z /= 26)
        word += QChar(char16_t((i == 0 ? u'A' : u'a') + z % 26));
    return word;
}

// The vCard text of `count` people, each at a company of their own, under
// names that no earlier run used.
QByteArray vcards(int count)
{
    static quint64 next = quint64(QDateTime::currentMSecsSinceEpoch()) << 20;
    QByteArray text;
    for (int n = 0; n < count; ++n) {
        const QString family = word(next++);
        text += QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\n"
                               "N:%1;Anna;;Ms;\r\nFN:Anna %1\r\nORG:%2 Trading Ltd\r\n"
                               "TITLE:Buyer\r\n"
                               "ADR;TYPE=WORK:;Unit 4;Mill Road\\nHunslet;Leeds;West Yorkshire;"
                               "LS1 0NG;United Kingdom\r\n"
                               "TEL;TYPE=WORK,VOICE:0113 496 %3\r\n"
                               "EMAIL;TYPE=INTERNET:anna@%1.example\r\nEND:VCARD\r\n")
                    .arg(family, word(next++))
                    .arg(n % 10'000, 4, 10, QLatin1Char('0'))
                    .toUtf8();
    }
    return text;
}

void MakeFolders(benchmark::State& state)
{
    Bench::contactsWorkspace(Contacts);
    for (auto _ : state) {
        state.PauseTiming();
        QList<FileOperations::NewContactFields> fields;
        for (const Finding::ContactCard& card : Finding::readVCards(vcards(Cards)).cards)
            fields << Finding::cardFields(card, QStringLiteral("United Kingdom"));
        state.ResumeTiming();
        FileOperations::CreateOptions options;
        options.tasksAtOnce = false;
        for (const FileOperations::NewContactFields& one : fields)
            FileOperations::CreateQuickAndDirtyCompany(one, {}, options);
        if (Indexing::RunIndexTasks().done != 2 * Cards)
            state.SkipWithError("the folders were not made and indexed");
    }
    state.counters["cards"] = Cards;
}
BENCHMARK(MakeFolders)->Unit(benchmark::kSecond)->Iterations(1)->Repetitions(2);

void ImportCards(benchmark::State& state)
{
    Bench::contactsWorkspace(Contacts);
    for (auto _ : state) {
        state.PauseTiming();
        const QByteArray text = vcards(Cards);
        state.ResumeTiming();
        QList<Finding::SourcedCard> cards;
        for (const Finding::ContactCard& card : Finding::readVCards(text).cards)
            cards.append({QString(), card});
        Finding::ImportOptions options;
        options.defaultCountry = QStringLiteral("United Kingdom");
        const Finding::ImportReport report = Finding::importContacts(cards, options);
        if (report.made != Cards || report.tasks.done != 2 * Cards)
            state.SkipWithError("the cards were not made and indexed");
    }
    state.counters["cards"] = Cards;
}
BENCHMARK(ImportCards)->Unit(benchmark::kSecond)->Iterations(1)->Repetitions(2);

} // namespace
