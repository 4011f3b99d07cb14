// SPDX-License-Identifier: GPL-3.0-or-later
// The main of every test program: a GUI application on the offscreen
// platform (fonts, text documents) around GoogleTest; a widget application
// for the tests of windows, which also run on a real X display.
#include "platform/Environment.h"

#ifdef VANTIX_TEST_WIDGETS
#include <QApplication>
#include <QWidget>
using Application = QApplication;
#else
#include <QGuiApplication>
using Application = QGuiApplication;
#endif

#include <gmock/gmock.h>

#ifdef VANTIX_TEST_WIDGETS
namespace {

// A desktop's window manager gives a window that opens the keyboard, and so
// does the offscreen platform; the bare X server of the tests has nobody to
// do it. Tests type into the windows they show: each is activated as it is
// shown, as a window manager would, unless it opens without taking the
// keyboard (a balloon).
class ActivateShownWindows : public QObject
{
protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() != QEvent::Show || !object->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(object);
        const Qt::WindowType type = widget->windowType();
        if ((type == Qt::Window || type == Qt::Dialog) &&
            !widget->testAttribute(Qt::WA_ShowWithoutActivating)) {
            widget->activateWindow();
            QApplication::setActiveWindow(widget);
        }
        return false;
    }
};

} // namespace
#endif

int main(int argc, char* argv[])
{
    Platform::prepareGuiEnvironment();
    Application app(argc, argv);
#ifdef VANTIX_TEST_WIDGETS
    ActivateShownWindows activate;
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        app.installEventFilter(&activate);
#endif
    testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
