// SPDX-License-Identifier: GPL-3.0-or-later
// Users search while another rebuilds the index: every search sees the index
// shut for maintenance (message 914) or whole, never half of one.
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Search
{
    QJsonArray rows;
    QJsonArray skipped;
};

class IndexConcurrency : public testing::Test
{
protected:
    QTemporaryDir dir;
    QString workspace = dir.filePath(QStringLiteral("demo"));

    QStringList withHive(const QStringList& args) const
    {
        return QStringList{QStringLiteral("--registry"),
                           workspace + QStringLiteral("/registry.sqlite3")} +
               args;
    }

    Search search()
    {
        // Every telephone number of the demo holds the word 01632, 7946 or
        // 07700: the first fills a long chain in the TelNum index.
        QProcess process;
        process.start(QStringLiteral(VANTIX_EXECUTABLE),
                      withHive({QStringLiteral("index"), QStringLiteral("search"),
                                QStringLiteral("01632"), QStringLiteral("--json")}));
        EXPECT_TRUE(process.waitForFinished(120'000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        QJsonParseError error;
        const QJsonObject result =
            QJsonDocument::fromJson(process.readAllStandardOutput(), &error).object();
        EXPECT_EQ(error.error, QJsonParseError::NoError);
        return {result[QStringLiteral("rows")].toArray(),
                result[QStringLiteral("skipped")].toArray()};
    }
};

} // namespace

TEST_F(IndexConcurrency, SearchesDuringARebuildSeeTheLockOrAWholeIndex)
{
    QProcess demo;
    demo.start(QStringLiteral(VANTIX_EXECUTABLE),
               {QStringLiteral("demo"), workspace, QStringLiteral("--contacts"),
                QStringLiteral("3000"), QStringLiteral("--emails"), QStringLiteral("0")});
    ASSERT_TRUE(demo.waitForFinished(300'000));
    ASSERT_EQ(demo.exitCode(), 0) << demo.readAllStandardError().toStdString();

    const Search before = search();
    ASSERT_TRUE(before.skipped.isEmpty());
    ASSERT_GT(before.rows.size(), 100);

    QProcess rebuild;
    rebuild.setStandardOutputFile(QProcess::nullDevice());
    rebuild.setStandardErrorFile(QProcess::nullDevice());
    rebuild.start(QStringLiteral(VANTIX_EXECUTABLE),
                  withHive({QStringLiteral("index"), QStringLiteral("rebuild")}));
    ASSERT_TRUE(rebuild.waitForStarted());

    int searches = 0, shut = 0;
    QElapsedTimer clock;
    clock.start();
    // Bounded in time: a slow machine makes fewer searches, not a longer test.
    bool finished = false;
    while (!(finished = rebuild.waitForFinished(0)) && clock.elapsed() < 240'000) {
        const Search during = search();
        ++searches;
        if (!during.skipped.isEmpty()) {
            for (const QJsonValue& skipped : during.skipped)
                EXPECT_TRUE(skipped[QStringLiteral("message")].toString().contains(
                    u"is undergoing maintenance by the Administrator"))
                    << skipped[QStringLiteral("message")].toString().toStdString();
            ++shut;
        } else {
            EXPECT_EQ(during.rows, before.rows) << "search " << searches;
        }
    }
    ASSERT_TRUE(finished || rebuild.waitForFinished(240'000));
    EXPECT_EQ(rebuild.exitCode(), 0);
    RecordProperty("searches", searches);
    RecordProperty("shut", shut);
    std::printf("%d searches during the rebuild, %d of them met the lock\n", searches, shut);

    const Search after = search();
    EXPECT_TRUE(after.skipped.isEmpty());
    EXPECT_EQ(after.rows, before.rows);
}
