// SPDX-License-Identifier: GPL-3.0-or-later
// The converters on generated documents of 1, 4 and 16 MB, each beside a
// copy of the same bytes (memcpy) in the same run. MB/s is the
// document's size (one byte a character, as in the suite's files) over the
// time; x_memcpy says how many copies of the document that time would make.
//   TXTtoRTF (PlainOnly) on a text of lines, tabs and the odd brace
//   HTMLtoRTF on a page of paragraphs, bold, breaks, FONT tags and references
//   HTMLtoRTF on 10,000 and 40,000 FONT tags of a face that is not installed
#include "converters/Converters.h"
#include "shared/TextRoutines.h"

#include <QHash>
#include <QString>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

namespace {

constexpr qsizetype MB = 1024 * 1024;

QString repeatTo(const QString& piece, qsizetype size)
{
    QString text;
    text.reserve(size + piece.size());
    while (text.size() < size)
        text += piece;
    text.truncate(size);
    return text;
}

const QString& plainText(qsizetype size)
{
    static QHash<qsizetype, QString> texts;
    if (!texts.contains(size)) {
        texts.insert(size, repeatTo(QStringLiteral("Dear Sir,\tthank you for your letter of 12 May "
                                                   "{ref. 4711\\B} about the order.\r\n"
                                                   "We will write again within the week.\r\n\r\n"),
                                    size));
    }
    return texts[size];
}

const QString& htmlPage(qsizetype size)
{
    static QHash<qsizetype, QString> pages;
    if (!pages.contains(size)) {
        pages.insert(size,
                     repeatTo(QStringLiteral("<P>Thank you for your <B>order</B> of 12 May &amp; "
                                             "the <FONT FACE=\"Arial,Helvetica\" COLOR=\"#FF0000\" "
                                             "SIZE=+1>samples</FONT> you sent.<BR>\r\n"
                                             "<i>Fish &amp;  chips</i> &pound;5 &#8364;6 "
                                             "<a href=\"http://example.org/x\">more</a></P>\r\n"),
                              size));
    }
    return pages[size];
}

// The time of one copy of the text's characters, best of a few.
double memcpySeconds(const QString& text)
{
    std::vector<char16_t> target(size_t(text.size()));
    double best = 1e9;
    for (int round = 0; round < 5; ++round) {
        const auto start = std::chrono::steady_clock::now();
        std::memcpy(target.data(), text.utf16(), size_t(text.size()) * sizeof(char16_t));
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

template <typename Convert>
void measure(benchmark::State& state, const QString& text, Convert convert)
{
    const double copy = memcpySeconds(text);
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state)
        benchmark::DoNotOptimize(convert(text));
    const double each =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
        double(state.iterations());
    state.SetBytesProcessed(state.iterations() * text.size());
    state.counters["x_memcpy"] = each / copy;
}

void BM_Memcpy(benchmark::State& state)
{
    const QString& text = plainText(state.range(0) * MB);
    std::vector<char16_t> target(size_t(text.size()));
    for (auto _ : state) {
        std::memcpy(target.data(), text.utf16(), size_t(text.size()) * sizeof(char16_t));
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(BM_Memcpy)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

void BM_TXTtoRTF_PlainOnly(benchmark::State& state)
{
    measure(state, plainText(state.range(0) * MB), [](const QString& text) {
        return Routines_Converters::TXTtoRTF(text, 3, QString(), true);
    });
}
BENCHMARK(BM_TXTtoRTF_PlainOnly)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

void BM_HTMLtoRTF(benchmark::State& state)
{
    Global::setFontCheck([](const QString&) { return true; });
    measure(state, htmlPage(state.range(0) * MB),
            [](const QString& html) { return Routines_Converters::HTMLtoRTF(html); });
}
BENCHMARK(BM_HTMLtoRTF)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

// N FONT tags of a face that is not installed (40,000 make 1 MB): each adds
// a font of its own to the table, which must not be searched for each tag.
void BM_HTMLtoRTF_MissingFaces(benchmark::State& state)
{
    Global::setFontCheck([](const QString&) { return false; });
    const QString page = QStringLiteral("<FONT FACE=\"Gone\">x</FONT>").repeated(state.range(0));
    measure(state, page, [](const QString& html) { return Routines_Converters::HTMLtoRTF(html); });
}
BENCHMARK(BM_HTMLtoRTF_MissingFaces)->Arg(10'000)->Arg(40'000)->Unit(benchmark::kMillisecond);

} // namespace
