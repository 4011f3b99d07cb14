// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The real vantix run as a user runs it: a process of its own, with its
// arguments, stdin and environment, and what it said.
#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace Testing {

struct Outcome
{
    int status = -1;
    QString out;
    QString err;
    QByteArray bytes; // stdout as it came
};

inline Outcome
runVantix(const QStringList& args, const QByteArray& input = QByteArray(),
          const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProgram(QStringLiteral(VANTIX_EXECUTABLE));
    process.setArguments(args);
    process.setProcessEnvironment(environment);
    process.start();
    process.write(input);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(120'000)) << args.join(u' ').toStdString();
    const QByteArray bytes = process.readAllStandardOutput();
    return {process.exitCode(), QString::fromUtf8(bytes),
            QString::fromUtf8(process.readAllStandardError()), bytes};
}

} // namespace Testing
