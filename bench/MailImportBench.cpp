// SPDX-License-Identifier: GPL-3.0-or-later
// Importing an mbox of 10,000 form e-mails (about 50 MB) into an empty job
// folder, beside its baseline in the same run:
//   ImportMbox  every message read, its text decoded and made rich text, and
//               its event file written whole and linked into place, against
//   ParseMbox   the mail library's own parse of the same file: each message
//               constructed and its subject and text part read.
//   WriteFiles  10,000 event files of the same size written whole and linked
//               into place in batches as the import writes them, with
//               nothing read: what the files alone cost.
// The ratios to read: ImportMbox / ParseMbox, and ImportMbox / WriteFiles
// (the files are written on a thread of their own while the messages are
// read, so the import takes about the longer of the two). PeakRssMB is the process's peak memory
// after each (the parse runs first), PeakRssGrowthMB how far the import raised it: the mbox is
// streamed and the files are written in bounded batches, so it stays far
// below the mbox's size.
#include "linking/MailImport.h"
#include "platform/File.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#pragma push_macro("signals")
#undef signals
#include <gmime/gmime.h>
#pragma pop_macro("signals")

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int Messages = 10'000;

QString makeMbox(const QString& path)
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return {};
    QByteArray filler;
    for (int i = 0; i < 60; ++i)
        filler += "Comments = a line of the sort that a visitor writes into the form, " +
                  QByteArray::number(i) + "\n";
    for (int i = 0; i < Messages; ++i) {
        QByteArray message = "From web@shop.example Tue Dec  1 09:30:00 2026\n"
                             "From: Web Form <web@shop.example>\n"
                             "Subject: =?UTF-8?Q?Website_Enquiry?=\n"
                             "Date: Tue, 01 Dec 2026 09:30:00 +0000\n"
                             "Message-ID: <" +
                             QByteArray::number(i) +
                             "@shop.example>\n"
                             "Content-Type: text/plain; charset=UTF-8\n"
                             "Content-Transfer-Encoding: quoted-printable\n"
                             "\n"
                             "Name =3D Visitor " +
                             QByteArray::number(i) +
                             "\nEmail =3D visitor@example.org\nTown =3D Z=C3=BCrich\n" + filler +
                             "\n";
        out.write(message);
    }
    // On the device, as a mailbox is: else the import's first flush would
    // write it.
    out.flush();
    ::fsync(out.handle());
    return path;
}

const QString& mbox()
{
    static QTemporaryDir dir;
    static const QString path = makeMbox(dir.filePath(QStringLiteral("inbox.mbox")));
    return path;
}

long peakRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void ParseMbox(benchmark::State& state)
{
    g_mime_init();
    const QByteArray path = QFile::encodeName(mbox());
    for (auto _ : state) {
        GMimeStream* stream = g_mime_stream_fs_new(::open(path.constData(), O_RDONLY));
        GMimeParser* parser = g_mime_parser_new_with_stream(stream);
        g_mime_parser_set_format(parser, GMIME_FORMAT_MBOX);
        int count = 0;
        while (!g_mime_parser_eos(parser)) {
            GMimeMessage* message = g_mime_parser_construct_message(parser, nullptr);
            if (!message)
                break;
            benchmark::DoNotOptimize(g_mime_message_get_subject(message));
            GMimeObject* body = g_mime_message_get_mime_part(message);
            if (GMIME_IS_TEXT_PART(body))
                g_free(g_mime_text_part_get_text(GMIME_TEXT_PART(body)));
            g_object_unref(message);
            ++count;
        }
        g_object_unref(parser);
        g_object_unref(stream);
        if (count != Messages)
            state.SkipWithError("the mbox did not parse whole");
    }
    state.counters["PeakRssMB"] = double(peakRssKb()) / 1024;
}
BENCHMARK(ParseMbox)->Unit(benchmark::kMillisecond)->Iterations(3);

void ImportMbox(benchmark::State& state)
{
    const QString& path = mbox();
    long growth = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto job = std::make_unique<QTemporaryDir>();
        const long before = peakRssKb();
        state.ResumeTiming();
        Linking::MailImporter importer(job->path());
        importer.importSource(path);
        state.PauseTiming();
        growth = std::max(growth, peakRssKb() - before);
        if (importer.summary().imported != Messages)
            state.SkipWithError("not every message was imported");
        job.reset(); // its removal is no part of the import
        state.ResumeTiming();
    }
    state.counters["PeakRssGrowthMB"] = double(growth) / 1024;
    state.counters["PeakRssMB"] = double(peakRssKb()) / 1024;
}
BENCHMARK(ImportMbox)->Unit(benchmark::kMillisecond)->Iterations(1);

void WriteFiles(benchmark::State& state)
{
    const QByteArray bytes(1100, 'x');
    for (auto _ : state) {
        state.PauseTiming();
        auto job = std::make_unique<QTemporaryDir>();
        state.ResumeTiming();
        Platform::NewFileBatch batch(job->path(), u"EMI_*.emi");
        for (int i = 0; i < Messages; ++i) {
            batch.add(QStringLiteral("EMI_%1.emi").arg(i), bytes.size(),
                      [&](Platform::File& out) { out.writeAt(1, bytes); });
            if (batch.count() == 512)
                batch.commit();
        }
        batch.commit();
        state.PauseTiming();
        job.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(WriteFiles)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
