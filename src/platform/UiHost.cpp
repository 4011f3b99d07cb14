// SPDX-License-Identifier: GPL-3.0-or-later
#include "UiHost.h"

#include "ConsoleUiHost.h"

namespace Platform {
namespace {

UiHost* installedHost = nullptr;

UiHost& fallbackHost()
{
    static ConsoleUiHost host;
    return host;
}

} // namespace

UiHost::~UiHost() = default;

QString UiHost::saveFile(const FileRequest&)
{
    return {};
}

QStringList UiHost::openFiles(const FileRequest&)
{
    return {};
}

MsgAnswer passiveAnswer(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok:
        return MsgAnswer::Ok;
    case MsgButtons::AbortRetryIgnore:
        return MsgAnswer::Abort;
    case MsgButtons::YesNo:
        return MsgAnswer::No;
    case MsgButtons::OkCancel:
    case MsgButtons::YesNoCancel:
    case MsgButtons::RetryCancel:
        return MsgAnswer::Cancel;
    }
    return MsgAnswer::Cancel;
}

UiHost& uiHost()
{
    return installedHost ? *installedHost : fallbackHost();
}

UiHost* setUiHost(UiHost* host)
{
    UiHost* previous = installedHost;
    installedHost = host;
    return previous;
}

} // namespace Platform
