// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/UiHost.h"

#include <QList>
#include <QString>

#include <deque>

namespace Testing {

// The UI host of the tests. Every box is recorded; each one must have been
// announced with expectBox() (in order), which also gives its answer. A box
// that nobody announced fails the test and gets the answer that changes
// nothing. Waits pass at once and are added up.
class ScriptedUiHost : public Platform::UiHost
{
public:
    ScriptedUiHost();
    ~ScriptedUiHost() override;

    // The next box is expected; its text must contain `textPart` (any text
    // when empty).
    void expectBox(Platform::MsgAnswer answer, const QString& textPart = QString());
    // Boxes are not checked at all (for benchmarks and fuzzing).
    void allowAnyBox() { m_strict = false; }

    QList<Platform::MessageBoxRequest> boxes;
    int beeps = 0;
    int waitedMilliseconds = 0;
    int eventRuns = 0;
    QList<int> pointers; // every pointer set, in order
    // The answers of the open, the save and the several-files dialog (each
    // taken once), and every request that any was given, in order.
    QString nextOpenFile;
    QString nextSaveFile;
    QStringList nextOpenFiles;
    QList<Platform::FileRequest> fileRequests;
    QSize screen{1920, 1080};
    QPoint mouse{0, 0};

    Platform::MsgAnswer messageBox(const Platform::MessageBoxRequest& request) override;
    void beep() override { ++beeps; }
    int pointer() const override { return m_pointer; }
    void setPointer(int pointer) override;
    void doEvents() override { ++eventRuns; }
    void wait(int milliseconds) override { waitedMilliseconds += milliseconds; }
    QString openFile(const Platform::OpenFileRequest& request) override;
    QString saveFile(const Platform::FileRequest& request) override;
    QStringList openFiles(const Platform::FileRequest& request) override;
    QSize screenSize() const override { return screen; }
    QPoint mousePosition() const override { return mouse; }

private:
    struct Expected
    {
        Platform::MsgAnswer answer;
        QString textPart;
    };
    std::deque<Expected> m_expected;
    bool m_strict = true;
    int m_pointer = Platform::Pointer::Default;
    Platform::UiHost* m_previous = nullptr;
};

} // namespace Testing
