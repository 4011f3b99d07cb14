// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a target document in the main window's source view, as the window
// does it: the file read and decoded, the view's rich text made and read
// into a plain-text document, the document shown and painted in the view.
// Beside it, in the same run, reading the file's bytes alone; x_read says how
// many such reads the opening takes. The goal is under a second for 4 MB.
#include "ReadBaseline.h"
#include "app/SourceView.h"
#include "linking/SourceText.h"

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

namespace {

constexpr qsizetype MB = 1024 * 1024;

// A reply page of the size asked for: a table of fields with a comment tag
// each, a comment over several lines now and then, CR LF line ends.
QString pageOf(qsizetype size)
{
    const QString rows = QStringLiteral(
        "<tr><th>Name</th><td><!-- Name --></td></tr>\r\n"
        "<tr><th>Company</th><td class=\"wide\"><!-- Company --></td></tr>\r\n"
        "<p>Our prices start at &pound;25 including VAT, delivery within the week.</p>\r\n"
        "<!--\r\n  Message\r\n  (kept as the customer wrote it)\r\n-->\r\n");
    QString page = QStringLiteral("<html>\r\n<head><title>Reply</title></head>\r\n<body>\r\n");
    page.reserve(size + rows.size());
    while (page.size() < size)
        page += rows;
    page.truncate(size);
    return page;
}

QString writeFile(const QTemporaryDir& dir, qsizetype size)
{
    const QString path = dir.filePath(QStringLiteral("page-%1.htm").arg(size));
    if (!QFile::exists(path)) {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(pageOf(size).toUtf8());
    }
    return path;
}

QTemporaryDir& folder()
{
    static QTemporaryDir dir;
    return dir;
}

void BM_ReadBytes(benchmark::State& state)
{
    const QString path = writeFile(folder(), state.range(0) * MB);
    for (auto _ : state) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            benchmark::DoNotOptimize(file.readAll());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0) * MB);
}
BENCHMARK(BM_ReadBytes)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);

using BuildDocument = std::unique_ptr<QTextDocument> (*)(const QString& text);

void openInSourceView(benchmark::State& state, BuildDocument build)
{
    const QString path = writeFile(folder(), state.range(0) * MB);
    const double read = readSeconds(path);
    QPlainTextEdit view;
    view.setReadOnly(true);
    view.setLineWrapMode(QPlainTextEdit::NoWrap);
    view.resize(800, 600);
    view.show();
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        const std::optional<QString> text = Linking::readDocument(path);
        std::unique_ptr<QTextDocument> document = build(text.value_or(QString()));
        // The view deletes the document it had, as the window's does.
        QTextDocument* shown = document.release();
        shown->setParent(&view);
        view.setDocument(shown);
        view.repaint();
    }
    const double each =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
        double(state.iterations());
    state.SetBytesProcessed(state.iterations() * state.range(0) * MB);
    state.counters["x_read"] = each / read;
}

// All on this thread.
void BM_OpenInSourceView(benchmark::State& state)
{
    openInSourceView(state, App::buildSourceDocument);
}
BENCHMARK(BM_OpenInSourceView)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);

// As the window opens a document: what needs no font on a worker while the
// event queue runs, the layout on this thread. CPU is this thread's time,
// for which the window is held up.
void BM_OpenInSourceViewWhileWaiting(benchmark::State& state)
{
    openInSourceView(state, App::buildSourceDocumentWhileWaiting);
}
BENCHMARK(BM_OpenInSourceViewWhileWaiting)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);

} // namespace
