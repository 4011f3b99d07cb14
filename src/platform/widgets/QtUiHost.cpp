// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtUiHost.h"

#include "platform/Cursors.h"

#include <QApplication>
#include <QCursor>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QThread>

#include <algorithm>
#include <vector>

namespace Platform {
namespace {

struct ButtonChoice
{
    QMessageBox::StandardButton button;
    MsgAnswer answer;
};

std::vector<ButtonChoice> buttonsOf(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok:
        return {{QMessageBox::Ok, MsgAnswer::Ok}};
    case MsgButtons::OkCancel:
        return {{QMessageBox::Ok, MsgAnswer::Ok}, {QMessageBox::Cancel, MsgAnswer::Cancel}};
    case MsgButtons::AbortRetryIgnore:
        return {{QMessageBox::Abort, MsgAnswer::Abort},
                {QMessageBox::Retry, MsgAnswer::Retry},
                {QMessageBox::Ignore, MsgAnswer::Ignore}};
    case MsgButtons::YesNoCancel:
        return {{QMessageBox::Yes, MsgAnswer::Yes},
                {QMessageBox::No, MsgAnswer::No},
                {QMessageBox::Cancel, MsgAnswer::Cancel}};
    case MsgButtons::YesNo:
        return {{QMessageBox::Yes, MsgAnswer::Yes}, {QMessageBox::No, MsgAnswer::No}};
    case MsgButtons::RetryCancel:
        return {{QMessageBox::Retry, MsgAnswer::Retry}, {QMessageBox::Cancel, MsgAnswer::Cancel}};
    }
    return {{QMessageBox::Ok, MsgAnswer::Ok}};
}

QMessageBox::Icon iconOf(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// "All HTML documents|*.htm;*.html" becomes "All HTML documents (*.htm *.html)".
QString qtFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << parts[i] + QLatin1String(" (") + patterns + QLatin1Char(')');
    }
    return filters.join(QLatin1String(";;"));
}

// Widgets live on the program's main thread. A step that runs on a worker
// (a long conversion) may still meet a box or a pointer change: it is
// carried out on the main thread while the worker waits.
bool onWorkerThread()
{
    return QCoreApplication::instance() &&
           QThread::currentThread() != QCoreApplication::instance()->thread();
}

template <typename Call>
void onMainThread(Call&& call)
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::forward<Call>(call),
                              Qt::BlockingQueuedConnection);
}

// The file dialog, in which a folder that holds one of `marks` (a Maildir's
// "cur" or "new") is chosen whole when it is opened, by a double click or
// the Open button, instead of being entered. The desktop's own dialog does
// not tell which folder is opened, so Qt's serves when there are marks.
class FileDialog : public QFileDialog
{
public:
    FileDialog(const QStringList& marks, const QString& title, const QString& folder,
               const QString& filter)
        : QFileDialog(QApplication::activeWindow(), title, folder, filter), m_marks(marks)
    {
        if (m_marks.isEmpty())
            return;
        setOption(QFileDialog::DontUseNativeDialog);
        connect(this, &QFileDialog::directoryEntered, this, [this](const QString& entered) {
            if (isMarked(entered)) {
                markedFolder = entered;
                QDialog::accept();
            }
        });
    }

    QString markedFolder;

    void accept() override
    {
        const QStringList chosen = selectedFiles();
        if (chosen.size() == 1 && isMarked(chosen.constFirst())) {
            markedFolder = chosen.constFirst();
            QDialog::accept();
            return;
        }
        QFileDialog::accept();
    }

private:
    bool isMarked(const QString& folder) const
    {
        return std::any_of(m_marks.begin(), m_marks.end(), [&](const QString& mark) {
            return QFileInfo(folder + QLatin1Char('/') + mark).isDir();
        });
    }

    QStringList m_marks;
};

} // namespace

MsgAnswer QtUiHost::messageBox(const MessageBoxRequest& request)
{
    if (onWorkerThread()) {
        MsgAnswer answer = passiveAnswer(request.buttons);
        onMainThread([&] { answer = messageBox(request); });
        return answer;
    }
    QString text = request.text;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(iconOf(request.icon), request.title, text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    const std::vector<ButtonChoice> choices = buttonsOf(request.buttons);
    for (const ButtonChoice& choice : choices)
        box.addButton(choice.button);
    const size_t defaultIndex = size_t(qBound(0, request.defaultButton, int(choices.size()) - 1));
    box.setDefaultButton(choices[defaultIndex].button);
    // A busy pointer must not hide the mouse over the box.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    box.exec();
    QApplication::restoreOverrideCursor();
    const auto clicked = box.standardButton(box.clickedButton());
    for (const ButtonChoice& choice : choices) {
        if (choice.button == clicked)
            return choice.answer;
    }
    return passiveAnswer(request.buttons);
}

void QtUiHost::beep()
{
    if (onWorkerThread()) {
        onMainThread([this] { beep(); });
        return;
    }
    QApplication::beep();
}

void QtUiHost::setPointer(int pointer)
{
    if (onWorkerThread()) {
        onMainThread([this, pointer] { setPointer(pointer); });
        return;
    }
    m_pointer = pointer;
    if (m_overridden) {
        QApplication::restoreOverrideCursor();
        m_overridden = false;
    }
    if (pointer != Pointer::Default) {
        QApplication::setOverrideCursor(cursorFor(pointer));
        m_overridden = true;
    }
}

void QtUiHost::doEvents()
{
    // A worker has no window to keep answering.
    if (onWorkerThread())
        return;
    QApplication::processEvents();
}

void QtUiHost::wait(int milliseconds)
{
    if (onWorkerThread()) {
        QThread::msleep(ulong(qMax(0, milliseconds)));
        return;
    }
    QDeadlineTimer deadline(qMax(0, milliseconds));
    while (!deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents,
                                    int(qMax<qint64>(1, deadline.remainingTime())));
}

QString QtUiHost::openFile(const OpenFileRequest& request)
{
    return askFiles(request, FileMode::Open).value(0);
}

QString QtUiHost::saveFile(const FileRequest& request)
{
    return askFiles(request, FileMode::Save).value(0);
}

QStringList QtUiHost::openFiles(const FileRequest& request)
{
    return askFiles(request, FileMode::OpenSeveral);
}

QStringList QtUiHost::askFiles(const FileRequest& request, FileMode mode)
{
    if (onWorkerThread()) {
        QStringList chosen;
        onMainThread([&] { chosen = askFiles(request, mode); });
        return chosen;
    }
    const bool save = mode == FileMode::Save;
    FileDialog dialog(request.folderMarks, request.title, request.folder, qtFilter(request.filter));
    // Saving asks before it names a file that exists (the dialog's own
    // question).
    dialog.setFileMode(save                            ? QFileDialog::AnyFile
                       : mode == FileMode::OpenSeveral ? QFileDialog::ExistingFiles
                                                       : QFileDialog::ExistingFile);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    QString suffix = request.defaultExtension;
    suffix.remove(QLatin1String("*.")).remove(QLatin1Char('.'));
    dialog.setDefaultSuffix(suffix);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    QApplication::restoreOverrideCursor();
    if (!accepted)
        return {};
    if (!dialog.markedFolder.isEmpty())
        return {dialog.markedFolder};
    return dialog.selectedFiles();
}

QSize QtUiHost::screenSize() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize(1024, 768);
}

QPoint QtUiHost::mousePosition() const
{
    return QCursor::pos();
}

} // namespace Platform
