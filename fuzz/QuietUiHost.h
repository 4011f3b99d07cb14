// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/UiHost.h"

namespace Fuzzing {

// Nobody is there to answer: every box gets the answer that changes nothing,
// silently.
class QuietUiHost : public Platform::UiHost
{
public:
    Platform::MsgAnswer messageBox(const Platform::MessageBoxRequest& request) override
    {
        return Platform::passiveAnswer(request.buttons);
    }
    void beep() override {}
    int pointer() const override { return 0; }
    void setPointer(int) override {}
    void doEvents() override {}
    void wait(int) override {}
    QString openFile(const Platform::OpenFileRequest&) override { return {}; }
    QSize screenSize() const override { return {1920, 1080}; }
    QPoint mousePosition() const override { return {}; }
};

} // namespace Fuzzing
