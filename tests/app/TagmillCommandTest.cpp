// SPDX-License-Identifier: GPL-3.0-or-later
// The tagmill program as a user starts it: its arguments, its exit status,
// and a whole start-up on a demo workspace (offscreen, its boxes answered
// unattended, the window saved as a picture).
#include "demo/Demo.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Outcome
{
    int status = -1;
    QString out;
    QString err;
};

Outcome runTagmill(const QStringList& args, const QProcessEnvironment& environment)
{
    QProcess process;
    process.setProgram(QStringLiteral(TAGMILL_EXECUTABLE));
    process.setArguments(args);
    process.setProcessEnvironment(environment);
    process.start();
    EXPECT_TRUE(process.waitForFinished(60'000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

QProcessEnvironment offscreen()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return environment;
}

} // namespace

TEST(TagmillCommand, ArgumentsAndWhatIsMissing)
{
    QProcessEnvironment noDisplay = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        noDisplay.remove(QLatin1String(name));

    const std::tuple<QStringList, int, const char*> cases[] = {
        {{"--help"}, 0, "Usage: tagmill [--registry FILE] [--folder PATH] [DOCUMENT]"},
        {{"--version"}, 0, "tagmill "},
        {{"--folder"}, 2, "--folder needs a value"},
        {{"--folder", "/no/such/folder"}, 2, "no folder \"/no/such/folder\""},
        {{"/no/such/page.htm"}, 2, "no file \"/no/such/page.htm\""},
        {{"a.htm", "b.htm"}, 2, "only one document"},
        {{"--colour"}, 2, "unknown option --colour"},
        {{}, 1, "no display"},
    };
    for (const auto& [args, status, text] : cases) {
        const Outcome outcome = runTagmill(args, noDisplay);
        EXPECT_EQ(outcome.status, status) << args.join(u' ').toStdString();
        EXPECT_TRUE((outcome.out + outcome.err).contains(QLatin1String(text)))
            << args.join(u' ').toStdString() << ": " << (outcome.out + outcome.err).toStdString();
    }
}

TEST(TagmillCommand, StartsOnADemoWorkspaceAndEndsOnAFailedCheck)
{
    QTemporaryDir dir;
    Demo::DemoOptions options;
    options.contacts = 10;
    const Demo::DemoSummary made =
        Demo::createWorkspace(dir.filePath(QStringLiteral("ws")), options);
    const QString picture = dir.filePath(QStringLiteral("window.png"));
    QProcessEnvironment environment = offscreen();
    environment.insert(QStringLiteral("TAGMILL_SCREENSHOT"), picture);

    // Start-up, then a folder and a document from the command line.
    const Outcome started =
        runTagmill({QStringLiteral("--registry"), made.registry, QStringLiteral("--folder"),
                    made.showcaseJob, made.folder + QStringLiteral("/Templates/Quote Request.htm")},
                   environment);
    EXPECT_EQ(started.status, 0) << started.err.toStdString();
    // The demo's job folder greets nobody with a box.
    EXPECT_FALSE(started.err.contains(QStringLiteral("Note:"))) << started.err.toStdString();
    EXPECT_FALSE(QImage(picture).isNull());

    // A hive without paths ends the program after its message; one that did not exist is made
    // and named, so that a mistyped name shows.
    const QString empty = dir.filePath(QStringLiteral("empty.sqlite3"));
    const Outcome unchecked = runTagmill({QStringLiteral("--registry"), empty}, environment);
    EXPECT_EQ(unchecked.status, 1);
    EXPECT_TRUE(unchecked.err.startsWith(
        QStringLiteral("tagmill: made a new settings file \"%1\"\n").arg(empty)))
        << unchecked.err.toStdString();
    EXPECT_TRUE(unchecked.err.contains(QStringLiteral("There are no paths set on this machine.")));

    // So does a settings file that is not a hive, an empty one too, which stays as it was.
    for (const QByteArray& bytes : {QByteArray("not a hive at all"), QByteArray()}) {
        const QString foreign = dir.filePath(QStringLiteral("foreign.sqlite3"));
        QFile file(foreign);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        const Outcome broken = runTagmill({QStringLiteral("--registry"), foreign}, environment);
        EXPECT_EQ(broken.status, 1);
        EXPECT_TRUE(broken.err.contains(foreign + QStringLiteral("\" is not a settings hive")))
            << broken.err.toStdString();
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), bytes);
    }
}
