// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QTextStream>

#include <unistd.h>

namespace Cli {

// The progress of a long command (a rebuild, an import) on stderr: a bar drawn again in place on a
// terminal, a line now and then otherwise (a log has no use for every step).
class ProgressLine
{
public:
    explicit ProgressLine(QTextStream& err) : m_err(err), m_terminal(isatty(STDERR_FILENO) == 1)
    {
        m_clock.start();
    }

    void setValue(int percent)
    {
        percent = qBound(0, percent, 100);
        if (percent == m_percent)
            return;
        m_percent = percent;
        if (m_terminal || percent / 10 != m_printedTenth)
            draw();
    }
    void setLabel(const QString& label)
    {
        if (label == m_label)
            return;
        m_label = label;
        if (!label.isEmpty())
            draw();
    }
    void finish()
    {
        if (m_terminal && m_drawn)
            m_err << "\n";
        m_err.flush();
    }
    qint64 elapsed() const { return m_clock.elapsed(); }

private:
    QString timeLeft() const
    {
        const qint64 ms = m_clock.elapsed();
        if (m_percent <= 0 || m_percent >= 100 || ms < 1000)
            return QString();
        const qint64 seconds = ms * (100 - m_percent) / m_percent / 1000;
        return QStringLiteral("  about %1:%2 left")
            .arg(seconds / 60)
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    }

    void draw()
    {
        const int width = 30;
        const int filled = m_percent * width / 100;
        const QString line =
            QLatin1Char('[') + QString(filled, QLatin1Char('#')) +
            QString(width - filled, QLatin1Char('.')) + QStringLiteral("] %1%").arg(m_percent, 3) +
            (m_label.isEmpty() ? QString() : QLatin1String("  ") + m_label) + timeLeft();
        if (m_terminal)
            m_err << "\r" << line << "\x1b[K";
        else
            m_err << line << "\n";
        m_err.flush();
        m_printedTenth = m_percent / 10;
        m_drawn = true;
    }

    QTextStream& m_err;
    bool m_terminal;
    QElapsedTimer m_clock;
    int m_percent = -1;
    int m_printedTenth = -1;
    QString m_label;
    bool m_drawn = false;
};

} // namespace Cli
