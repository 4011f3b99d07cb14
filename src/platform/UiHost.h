// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>

namespace Platform {

// Button sets, icons and answers of the modal message box, numbered as the
// suite numbers them.
enum class MsgButtons
{
    Ok = 0,
    OkCancel = 1,
    AbortRetryIgnore = 2,
    YesNoCancel = 3,
    YesNo = 4,
    RetryCancel = 5
};
enum class MsgIcon
{
    None = 0,
    Critical = 16,
    Question = 32,
    Exclamation = 48,
    Information = 64
};
enum class MsgAnswer
{
    Ok = 1,
    Cancel = 2,
    Abort = 3,
    Retry = 4,
    Ignore = 5,
    Yes = 6,
    No = 7
};

struct MessageBoxRequest
{
    QString text;
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
    QString title;
    // 0 for the first button, 1 for the second, 2 for the third.
    int defaultButton = 0;
};

// The answer that changes nothing: what a box gets when nobody is there to
// answer it (Cancel, No, or OK when that is the only button).
MsgAnswer passiveAnswer(MsgButtons buttons);

// What the open and the save dialog are given.
struct FileRequest
{
    QString title;
    QString defaultExtension; // e.g. "*.htm"
    QString filter;           // "Description|*.a;*.b|Other|*.c"
    QString fileName;         // initial file name
    QString folder;           // initial folder; empty for the dialog's own choice
    bool pathMustExist = true;
    // For the dialog of several files: a folder that holds a sub-folder of
    // one of these names is chosen whole when it is opened (a Maildir).
    QStringList folderMarks;
};
using OpenFileRequest = FileRequest;

// Sizes that the suite gives in twips turn into (logical) pixels at 15 twips
// a pixel, that is 96 dots an inch.
constexpr int TwipsPerPixel = 15;

// Standard screen pointers, numbered as the suite numbers them. Numbers of 20
// and above name the program's own cursors "CUR_20" to "CUR_28".
namespace Pointer {
enum : int
{
    Default = 0,
    Arrow = 1,
    Cross = 2,
    IBeam = 3,
    Icon = 4,
    Size = 5,
    SizeNESW = 6,
    SizeNS = 7,
    SizeNWSE = 8,
    SizeWE = 9,
    UpArrow = 10,
    Hourglass = 11,
    NoDrop = 12,
    ArrowHourglass = 13,
    ArrowQuestion = 14,
    SizeAll = 15,
};
}

// Everything modal or global that the program asks of its surroundings. The
// windowed program answers through Qt; `vantix` through the console; tests
// through a scripted host that checks every box it is shown.
class UiHost
{
public:
    virtual ~UiHost();

    virtual MsgAnswer messageBox(const MessageBoxRequest& request) = 0;
    virtual void beep() = 0;
    virtual int pointer() const = 0;
    virtual void setPointer(int pointer) = 0;
    // Lets the event queue run once.
    virtual void doEvents() = 0;
    // Waits while the event queue keeps running (the retry pauses of file
    // access).
    virtual void wait(int milliseconds) = 0;
    // The chosen file's full path, or an empty text when cancelled.
    virtual QString openFile(const OpenFileRequest& request) = 0;
    // The full path to save a file as, or an empty text when cancelled; the
    // dialog asks before it names a file that exists. A host with nobody to
    // ask answers as cancelled.
    virtual QString saveFile(const FileRequest& request);
    // The full paths of the files chosen (or of the one folder that
    // `request.folderMarks` lets be chosen), or none when cancelled. A host
    // with nobody to ask answers as cancelled.
    virtual QStringList openFiles(const FileRequest& request);
    // In pixels.
    virtual QSize screenSize() const = 0;
    virtual QPoint mousePosition() const = 0;
};

// The host of this process. Until one is installed, a console host serves.
UiHost& uiHost();
// Installs a host (not owned) and gives the previous one back; nullptr goes
// back to the console host.
UiHost* setUiHost(UiHost* host);

// Installs a host for the lifetime of a scope.
class ScopedUiHost
{
public:
    explicit ScopedUiHost(UiHost& host) : m_previous(setUiHost(&host)) {}
    ~ScopedUiHost() { setUiHost(m_previous); }
    ScopedUiHost(const ScopedUiHost&) = delete;
    ScopedUiHost& operator=(const ScopedUiHost&) = delete;

private:
    UiHost* m_previous;
};

} // namespace Platform
