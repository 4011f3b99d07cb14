// SPDX-License-Identifier: GPL-3.0-or-later
// The linking steps a user waits for, each beside a baseline of the same run:
//   the scan of a job folder of 1,000 form e-mails  vs  reading the files' bytes
//   one NextTag step in a 4 MB document              vs  one pass over its text
// The targets are a scan under a second and a step well under 10 ms; the
// far step (the next tag at the end of the document) is the worst case.
#include "FormMail.h"
#include "datafiles/DataFile.h"
#include "linking/CommentTags.h"
#include "linking/FormSubmissions.h"
#include "platform/FileSystem.h"
#include "platform/RegistryHive.h"
#include "shared/Settings.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int Mails = 1000;
constexpr qsizetype DocumentSize = 4 * 1024 * 1024;

struct JobFolder
{
    QTemporaryDir dir;
    QString folder = dir.filePath(QStringLiteral("Job [1-2]"));
    QList<Linking::FormSubmissionDef> defs;

    JobFolder()
    {
        Global::setSettingsHive(
            Platform::RegistryHive::open(dir.filePath(QStringLiteral("hive.sqlite3"))));
        QDir().mkpath(folder);
        defs = {{QStringLiteral("Website Enquiry"), QString(), QStringLiteral(" ="),
                 QStringLiteral("\r\n")}};
        for (int i = 0; i < Mails; ++i) {
            QStringList lines;
            for (int f = 0; f < 8; ++f)
                lines << QStringLiteral("Field%1 = value %2 of a form submission").arg(f).arg(i);
            lines << QStringLiteral("Extra%1 = only in this one").arg(i % 50);
            Fixtures::writeMail(folder,
                                QStringLiteral("EMI_%1.emi").arg(i, 5, 10, QLatin1Char('0')),
                                QStringLiteral("Website Enquiry"), lines);
        }
    }
};

JobFolder& jobFolder()
{
    static JobFolder shared;
    return shared;
}

void BM_ReadJobFolderBytes(benchmark::State& state)
{
    const JobFolder& job = jobFolder();
    for (auto _ : state) {
        qsizetype bytes = 0;
        for (const QString& name :
             Platform::listEntries(job.folder, u"*.emi", Platform::EntryKind::Files))
            bytes += DataFiles::readWholeFile(job.folder + QLatin1Char('/') + name).size();
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * Mails);
}
BENCHMARK(BM_ReadJobFolderBytes)->Unit(benchmark::kMillisecond);

void BM_ScanJobFolder(benchmark::State& state)
{
    const JobFolder& job = jobFolder();
    for (auto _ : state) {
        const auto result = Linking::scanJobFolder(job.folder, job.defs, false);
        if (!result || result->forms() != Mails)
            state.SkipWithError("the scan did not read every e-mail");
        benchmark::DoNotOptimize(result);
    }
    state.SetItemsProcessed(state.iterations() * Mails);
}
BENCHMARK(BM_ScanJobFolder)->Unit(benchmark::kMillisecond);

// A page of HTML with a comment tag every few lines, or with one tag only at
// its very end.
QString document(bool tagAtEndOnly)
{
    QString text;
    text.reserve(DocumentSize + 64);
    for (int line = 0; text.size() < DocumentSize; ++line) {
        text += QStringLiteral("<tr><td class=\"label\">Row %1</td><td>").arg(line);
        if (!tagAtEndOnly && line % 4 == 0)
            text += QStringLiteral("<!-- Field%1 -->").arg(line % 300);
        text += QStringLiteral("</td></tr>\r\n");
    }
    if (tagAtEndOnly)
        text += QStringLiteral("<!-- Last -->");
    return text;
}

void BM_TextPass(benchmark::State& state)
{
    const QString text = document(false);
    for (auto _ : state)
        benchmark::DoNotOptimize(QStringView(text).count(u'<'));
}
BENCHMARK(BM_TextPass)->Unit(benchmark::kMicrosecond);

void BM_NextTag(benchmark::State& state)
{
    const QString text = document(false);
    Linking::Selection selection;
    for (auto _ : state) {
        const auto next = Linking::nextTag(text, selection);
        selection = next ? *next : Linking::Selection();
    }
}
BENCHMARK(BM_NextTag)->Unit(benchmark::kMicrosecond);

void BM_PreviousTag(benchmark::State& state)
{
    const QString text = document(false);
    Linking::Selection selection{text.size(), 0};
    for (auto _ : state) {
        const auto previous = Linking::previousTag(text, selection);
        selection = previous ? *previous : Linking::Selection{text.size(), 0};
    }
}
BENCHMARK(BM_PreviousTag)->Unit(benchmark::kMicrosecond);

void BM_NextTagFar(benchmark::State& state)
{
    const QString text = document(true);
    for (auto _ : state)
        benchmark::DoNotOptimize(Linking::nextTag(text, {}));
}
BENCHMARK(BM_NextTagFar)->Unit(benchmark::kMicrosecond);

void BM_PreviousTagFar(benchmark::State& state)
{
    QString text = document(true);
    text.prepend(QStringLiteral("<!-- First -->"));
    text.chop(13);
    for (auto _ : state)
        benchmark::DoNotOptimize(Linking::previousTag(text, {text.size(), 0}));
}
BENCHMARK(BM_PreviousTagFar)->Unit(benchmark::kMicrosecond);

} // namespace
