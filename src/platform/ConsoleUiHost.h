// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/UiHost.h"

namespace Platform {

// The host of the command line: every box goes to stderr as its title, a
// colon and its text. A question gets the answer that changes nothing unless
// questions are to be answered Yes; a retry question is never retried, since
// nobody would be there to stop it. A box with the critical or exclamation
// icon marks the run as failed.
class ConsoleUiHost : public UiHost
{
public:
    void setAnswerYes(bool yes) { m_answerYes = yes; }
    bool failed() const { return m_failed; }

    MsgAnswer messageBox(const MessageBoxRequest& request) override;
    void beep() override {}
    int pointer() const override { return m_pointer; }
    void setPointer(int pointer) override { m_pointer = pointer; }
    void doEvents() override;
    void wait(int milliseconds) override;
    QString openFile(const OpenFileRequest&) override { return {}; }
    QSize screenSize() const override { return {1920, 1080}; }
    QPoint mousePosition() const override { return {}; }

private:
    bool m_answerYes = false;
    bool m_failed = false;
    int m_pointer = Pointer::Default;
};

} // namespace Platform
