// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConsoleUiHost.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

namespace Platform {

MsgAnswer ConsoleUiHost::messageBox(const MessageBoxRequest& request)
{
    QString text = request.text;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    const QByteArray line =
        (request.title + QLatin1String(": ") + text + QLatin1Char('\n')).toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);

    if (request.icon == MsgIcon::Critical || request.icon == MsgIcon::Exclamation)
        m_failed = true;
    if (m_answerYes) {
        switch (request.buttons) {
        case MsgButtons::YesNo:
        case MsgButtons::YesNoCancel:
            return MsgAnswer::Yes;
        case MsgButtons::OkCancel:
            return MsgAnswer::Ok;
        default:
            break;
        }
    }
    return passiveAnswer(request.buttons);
}

void ConsoleUiHost::doEvents()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

void ConsoleUiHost::wait(int milliseconds)
{
    QThread::msleep(static_cast<unsigned long>(qMax(0, milliseconds)));
}

} // namespace Platform
