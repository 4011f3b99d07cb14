// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScriptedUiHost.h"

#include <gtest/gtest.h>

namespace Testing {

ScriptedUiHost::ScriptedUiHost() : m_previous(Platform::setUiHost(this)) {}

ScriptedUiHost::~ScriptedUiHost()
{
    Platform::setUiHost(m_previous);
    for (const Expected& expected : m_expected)
        ADD_FAILURE() << "an expected box was never shown: " << expected.textPart.toStdString();
}

void ScriptedUiHost::expectBox(Platform::MsgAnswer answer, const QString& textPart)
{
    m_expected.push_back({answer, textPart});
}

Platform::MsgAnswer ScriptedUiHost::messageBox(const Platform::MessageBoxRequest& request)
{
    boxes << request;
    if (m_expected.empty()) {
        if (m_strict)
            ADD_FAILURE() << "unexpected box \"" << request.title.toStdString()
                          << "\": " << request.text.toStdString();
        return Platform::passiveAnswer(request.buttons);
    }
    const Expected expected = m_expected.front();
    m_expected.pop_front();
    if (!request.text.contains(expected.textPart))
        ADD_FAILURE() << "box text \"" << request.text.toStdString() << "\" lacks \""
                      << expected.textPart.toStdString() << "\"";
    return expected.answer;
}

void ScriptedUiHost::setPointer(int pointer)
{
    m_pointer = pointer;
    pointers << pointer;
}

QString ScriptedUiHost::openFile(const Platform::OpenFileRequest& request)
{
    fileRequests << request;
    return std::exchange(nextOpenFile, QString());
}

QString ScriptedUiHost::saveFile(const Platform::FileRequest& request)
{
    fileRequests << request;
    return std::exchange(nextSaveFile, QString());
}

QStringList ScriptedUiHost::openFiles(const Platform::FileRequest& request)
{
    fileRequests << request;
    return std::exchange(nextOpenFiles, QStringList());
}

} // namespace Testing
