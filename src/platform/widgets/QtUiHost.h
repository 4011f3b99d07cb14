// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/UiHost.h"

#include <atomic>

namespace Platform {

// The host of the windowed program.
class QtUiHost : public UiHost
{
public:
    MsgAnswer messageBox(const MessageBoxRequest& request) override;
    void beep() override;
    int pointer() const override { return m_pointer; }
    void setPointer(int pointer) override;
    void doEvents() override;
    void wait(int milliseconds) override;
    QString openFile(const OpenFileRequest& request) override;
    QString saveFile(const FileRequest& request) override;
    QStringList openFiles(const FileRequest& request) override;
    QSize screenSize() const override;
    QPoint mousePosition() const override;

private:
    enum class FileMode
    {
        Open,
        Save,
        OpenSeveral
    };
    QStringList askFiles(const FileRequest& request, FileMode mode);

    std::atomic<int> m_pointer = Pointer::Default;
    bool m_overridden = false;
};

} // namespace Platform
