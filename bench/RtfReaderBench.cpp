// SPDX-License-Identifier: GPL-3.0-or-later
// The RTF reader on generated documents of 1, 4 and 16 MB, beside a memcpy of
// the same characters measured in the same run:
//   Memcpy      the baseline: one copy of the RTF text
//   PlainText   RTF to plain text (the job-folder scan)
//   Document    RTF into a text document (the views)
// Each reader figure also carries x_memcpy, its time over the baseline's on
// the same bytes; bytes_per_second counts RTF bytes (one character a byte).
#include "converters/RtfReader.h"

#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <map>
#include <random>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A document like a long e-mail or letter: paragraphs of words with bold,
// italic and underlined runs, colours and sizes, accented letters as hex
// escapes, and characters outside Windows-1252 as \u with their fallback.
QString generatedRtf(qsizetype megabytes)
{
    const qsizetype size = megabytes * 1024 * 1024;
    static const char* const words[] = {
        "the",       "order",     "delivery",   "invoice", "customer", "Name = ",   "address",
        "caf\\'e9",  "na\\'efve", "M\\'fcller", "price",   "Friday",   "telephone", "form",
        "submitted", "message",   "please",     "contact", "with",     "and"};
    std::mt19937 random(42);
    QString rtf = QStringLiteral(
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deftab720{\\fonttbl{\\f0\\fnil MS Sans Serif;}"
        "{\\f1\\fnil\\fcharset2 Symbol;}{\\f2\\fnil Courier New;}{\\f3\\fnil Arial;}}"
        "{\\colortbl\\red0\\green0\\blue0;\\red0\\green0\\blue255;\\red255\\green0\\blue0;}"
        "\\deflang2057\\pard\\plain\\f3\\fs20 ");
    rtf.reserve(size + 1024);
    while (rtf.size() < size) {
        rtf += QLatin1String("\\pard\\plain\\f3\\fs20 ");
        const int count = 20 + int(random() % 40);
        for (int w = 0; w < count; ++w) {
            const char* word = words[random() % std::size(words)];
            switch (random() % 16) {
            case 0:
                rtf += QLatin1String("{\\b ") + QLatin1String(word) + QLatin1String("}");
                break;
            case 1:
                rtf += QLatin1String("{\\i\\cf1 ") + QLatin1String(word) + QLatin1String("}");
                break;
            case 2:
                rtf += QLatin1String("\\ul ") + QLatin1String(word) + QLatin1String("\\ulnone");
                break;
            case 3:
                rtf += QLatin1String("{\\f2\\fs24 ") + QLatin1String(word) + QLatin1String("}");
                break;
            case 4:
                rtf += QLatin1String("\\u8364\\'80");
                break;
            default:
                rtf += QLatin1String(word);
            }
            rtf += u' ';
        }
        rtf += QLatin1String("\\par\r\n");
    }
    rtf += u'}';
    return rtf;
}

const QString& document(qsizetype megabytes)
{
    static std::map<qsizetype, QString> documents;
    auto it = documents.find(megabytes);
    if (it == documents.end())
        it = documents.emplace(megabytes, generatedRtf(megabytes)).first;
    return it->second;
}

// The best of a few copies of the document's characters.
double memcpySeconds(const QString& rtf)
{
    std::vector<QChar> buffer(size_t(rtf.size()));
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        const auto start = Clock::now();
        std::memcpy(buffer.data(), rtf.constData(), buffer.size() * sizeof(QChar));
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

template <class Read>
void measure(benchmark::State& state, Read read)
{
    const QString& rtf = document(state.range(0));
    const double baseline = memcpySeconds(rtf);
    double seconds = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        read(rtf);
        seconds += std::chrono::duration<double>(Clock::now() - start).count();
    }
    state.SetBytesProcessed(state.iterations() * rtf.size());
    state.counters["x_memcpy"] = seconds / double(state.iterations()) / baseline;
}

void BM_Memcpy(benchmark::State& state)
{
    const QString& rtf = document(state.range(0));
    std::vector<QChar> buffer(size_t(rtf.size()));
    for (auto _ : state) {
        std::memcpy(buffer.data(), rtf.constData(), buffer.size() * sizeof(QChar));
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * rtf.size());
}
BENCHMARK(BM_Memcpy)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

void BM_PlainText(benchmark::State& state)
{
    measure(state, [](const QString& rtf) {
        benchmark::DoNotOptimize(Routines_Converters::rtfToPlainText(rtf));
    });
}
BENCHMARK(BM_PlainText)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

void BM_Document(benchmark::State& state)
{
    // One document for the run, as a view keeps its own: from the second
    // reading on, clearing the previous text is part of the time.
    QTextDocument target;
    measure(state, [&target](const QString& rtf) {
        Routines_Converters::rtfToDocument(rtf, target);
        benchmark::DoNotOptimize(target.characterCount());
    });
}
BENCHMARK(BM_Document)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

} // namespace
