// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A test on a small demo workspace of its own, made by `vantix demo`, whose
// commands run as real processes with a task file of the test's own.
#include "VantixProcess.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

namespace Testing {

class DemoWorkspaceTest : public testing::Test
{
protected:
    explicit DemoWorkspaceTest(int contacts) : m_contacts(contacts) {}

    QTemporaryDir dir;
    QString workspace = dir.filePath(QStringLiteral("demo"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();

    void SetUp() override
    {
        environment.insert(QStringLiteral("XDG_STATE_HOME"), dir.filePath(QStringLiteral("state")));
        const Outcome made =
            run({QStringLiteral("demo"), workspace, QStringLiteral("--contacts"),
                 QString::number(m_contacts), QStringLiteral("--emails"), QStringLiteral("0"),
                 QStringLiteral("--seed"), QStringLiteral("7")});
        ASSERT_EQ(made.status, 0) << made.err.toStdString();
    }

    // vantix on the workspace's settings, `input` on its stdin.
    Outcome run(const QStringList& args, const QByteArray& input = {})
    {
        return runVantix(QStringList{QStringLiteral("--registry"),
                                     workspace + QStringLiteral("/registry.sqlite3")} +
                             args,
                         input, environment);
    }

    // What a command with --json printed, after checking its status.
    QJsonObject json(const QStringList& args, int status = 0, const QByteArray& input = {})
    {
        const Outcome r = run(args, input);
        EXPECT_EQ(r.status, status) << args.join(u' ').toStdString() << "\n" << r.err.toStdString();
        return QJsonDocument::fromJson(r.out.toUtf8()).object();
    }

    // The references that a search finds.
    QStringList found(const QString& clue)
    {
        QStringList refs;
        const QJsonObject result = json(
            {QStringLiteral("index"), QStringLiteral("search"), clue, QStringLiteral("--json")});
        EXPECT_TRUE(result[QStringLiteral("skipped")].toArray().isEmpty());
        for (const QJsonValue row : result[QStringLiteral("rows")].toArray())
            refs << row[QStringLiteral("ref")].toString();
        return refs;
    }

private:
    int m_contacts;
};

} // namespace Testing
