// SPDX-License-Identifier: GPL-3.0-or-later
// The tag states in the main window and the preview, beside a bare read of
// the same bytes in the same run (x_read: how many such reads each takes):
// - marking every comment tag of a 4 MB page shown in a source view (goal:
//   under 100 ms once it is shown);
// - marking again after one link changed (only what changed);
// - the preview of a 1 MB page: filled from a form e-mail, its source shown
//   and marked, the window shown; then until the first screen of the page
//   shows rendered (goal: under 300 ms) and until the whole page does (read
//   into documents on a worker thread meanwhile).
#include "FormMail.h"
#include "ReadBaseline.h"
#include "app/SourceView.h"
#include "app/TagMarkSelections.h"
#include "app/frm_Preview.h"
#include "linking/PagePreview.h"
#include "linking/SourceText.h"
#include "linking/TagLinks.h"
#include "platform/RegistryHive.h"
#include "shared/Settings.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <utility>

namespace {

constexpr qsizetype MB = 1024 * 1024;
const QString Page = QStringLiteral("reply.htm");

// The shapes of page: one table of every field row (the worst case for a
// rendered page: a table is laid out whole), or sections of a heading, a
// paragraph and a table of 40 rows, as long pages are written.
enum Shape
{
    OneTable,
    Sections
};

// A reply page: rows of fields with a comment tag each (a tenth of them
// never linked), and a comment over several lines now and then.
QByteArray pageOf(qsizetype size, Shape shape)
{
    QByteArray page = "<html>\r\n<head><title>Reply</title></head>\r\n<body><table>\r\n";
    page.reserve(size + 512);
    for (int row = 0; page.size() < size; ++row) {
        if (shape == Sections && row % 40 == 0 && row > 0)
            page += "</table>\r\n<h2>Section " + QByteArray::number(row / 40) +
                    "</h2>\r\n<p>Thank you for your enquiry. The details you gave are below; "
                    "reply to this message if any of them is wrong.</p>\r\n<table>\r\n";
        page += "<tr><th>Field " + QByteArray::number(row % 40) + "</th><td><!-- Field" +
                QByteArray::number(row % 40) +
                " --></td><td class=\"wide\">&pound;25</td></tr>\r\n";
        if (row % 25 == 0)
            page += "<!--\r\n  Notes\r\n  (kept as the customer wrote them)\r\n-->\r\n";
    }
    return page + "</table></body></html>\r\n";
}

struct Workspace
{
    QTemporaryDir dir;
    QString folder = dir.filePath(QStringLiteral("Job [1-2]"));
    QList<Linking::FormSubmissionDef> defs{{QStringLiteral("Website Enquiry"), QString(),
                                            QStringLiteral(" ="), QStringLiteral("\r\n")}};

    Workspace()
    {
        Global::setSettingsHive(
            Platform::RegistryHive::open(dir.filePath(QStringLiteral("hive.sqlite3"))));
        QDir().mkpath(folder);
        QStringList lines;
        for (int f = 0; f < 36; ++f) {
            Linking::storeLink(Page, QStringLiteral("<!-- Field%1 -->").arg(f),
                               QStringLiteral("Field%1").arg(f));
            lines << QStringLiteral("Field%1 = value <%1> & more").arg(f);
        }
        Fixtures::writeMail(folder, QStringLiteral("EMI_1.emi"), QStringLiteral("Website Enquiry"),
                            lines);
    }

    // A preview of the page of that size, not filled yet.
    std::unique_ptr<Linking::PagePreview> preview(qsizetype size, Shape shape = OneTable)
    {
        QFile page(file(size, shape));
        page.open(QIODevice::ReadOnly);
        const Linking::FormMail mail{QStringLiteral("EMI_1.emi"), QStringLiteral("Website Enquiry"),
                                     0};
        return std::make_unique<Linking::PagePreview>(page.fileName(), page.readAll(), Page, folder,
                                                      QList{mail}, defs);
    }

    QString file(qsizetype size, Shape shape = OneTable)
    {
        const QString path = dir.filePath(QStringLiteral("page-%1-%2.htm").arg(size).arg(shape));
        if (!QFile::exists(path)) {
            QFile out(path);
            if (out.open(QIODevice::WriteOnly))
                out.write(pageOf(size, shape));
        }
        return path;
    }
};

Workspace& workspace()
{
    static Workspace shared;
    return shared;
}

template <class Step>
void timed(benchmark::State& state, const QString& path, Step step)
{
    const double read = readSeconds(path);
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        step();
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["x_read"] = total / double(state.iterations()) / read;
}

// A source view showing the page, as the main window has it before marking.
struct ShownPage
{
    QString text;
    Linking::SourceMap map;
    QPlainTextEdit view;

    explicit ShownPage(const QString& path)
        : text(Linking::readDocument(path).value_or(QString())), map(text)
    {
        QTextDocument* document = App::buildSourceDocument(text).release();
        document->setParent(&view);
        view.setDocument(document);
        view.resize(800, 600);
        view.show();
        view.repaint();
    }
};

void BM_MarkTagsOfAShownPage(benchmark::State& state)
{
    const QString path = workspace().file(state.range(0) * MB);
    ShownPage shown(path);
    Linking::TagMarks marks;
    App::TagMarkSelections selections(shown.view);
    timed(state, path, [&] {
        marks.setText(shown.text);
        marks.update(Linking::storedLinks(Page), std::nullopt);
        selections.reset(shown.map, marks.marks());
        shown.view.repaint();
    });
    state.counters["tags"] = double(marks.marks().size());
}
BENCHMARK(BM_MarkTagsOfAShownPage)->Arg(4)->Unit(benchmark::kMillisecond);

void BM_RemarkAfterOneLink(benchmark::State& state)
{
    const QString path = workspace().file(state.range(0) * MB);
    ShownPage shown(path);
    Linking::TagMarks marks;
    App::TagMarkSelections selections(shown.view);
    marks.setText(shown.text);
    marks.update(Linking::storedLinks(Page), std::nullopt);
    selections.reset(shown.map, marks.marks());
    bool linked = false;
    timed(state, path, [&] {
        linked = !linked;
        if (linked)
            Linking::storeLink(Page, QStringLiteral("<!-- Field39 -->"), QStringLiteral("Field39"));
        else
            Linking::removeLink(Page, QStringLiteral("<!-- Field39 -->"));
        const QList<int> changed = marks.update(Linking::storedLinks(Page), std::nullopt);
        selections.update(marks.marks(), changed);
        shown.view.repaint();
    });
}
BENCHMARK(BM_RemarkAfterOneLink)->Arg(4)->Unit(benchmark::kMillisecond);

// The time is the window's until it is shown with the page's source (the
// page itself is read on a worker thread); `rendered_ms` is until the
// rendered page shows as well.
void BM_PreviewAPage(benchmark::State& state)
{
    const Shape shape = Shape(state.range(1));
    const double read = readSeconds(workspace().file(state.range(0) * MB, shape));
    double shown = 0;
    double begun = 0;
    double rendered = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        auto* window = new frm_Preview(workspace().preview(state.range(0) * MB, shape));
        window->preview().choose(0);
        window->show();
        window->repaint();
        shown += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const auto since = [&] {
            return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        };
        bool first = true;
        QObject::connect(window, &frm_Preview::pageBegun, window, [&] {
            window->repaint();
            if (std::exchange(first, false))
                begun += since();
        });
        QEventLoop loop;
        QObject::connect(window, &frm_Preview::pageRendered, &loop, &QEventLoop::quit);
        if (!window->pageShown())
            loop.exec();
        window->repaint();
        rendered += since();
        delete window;
    }
    const double runs = double(state.iterations());
    state.counters["shown_ms"] = shown * 1000 / runs;
    state.counters["x_read"] = shown / runs / read;
    state.counters["first_screen_ms"] = begun * 1000 / runs;
    state.counters["rendered_ms"] = rendered * 1000 / runs;
}
BENCHMARK(BM_PreviewAPage)->Args({1, Sections})->Args({1, OneTable})->Unit(benchmark::kMillisecond);

// The parts of the preview: filling alone, the page's rendering alone.
void BM_PreviewParts(benchmark::State& state)
{
    const QString path = workspace().file(state.range(0) * MB);
    const std::unique_ptr<Linking::PagePreview> shared = workspace().preview(state.range(0) * MB);
    // (the one-table page)
    Linking::PagePreview& preview = *shared;
    preview.choose(0);
    QTextBrowser browser;
    QPlainTextEdit source;
    timed(state, path, [&] {
        if (state.range(1) == 0)
            preview.choose(0);
        else if (state.range(1) == 1)
            browser.setHtml(preview.pageHtml());
        else
            source.setPlainText(preview.sourceText());
    });
}
BENCHMARK(BM_PreviewParts)->Args({1, 0})->Args({1, 1})->Args({1, 2})->Unit(benchmark::kMillisecond);

} // namespace
