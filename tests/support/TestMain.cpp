// SPDX-License-Identifier: GPL-3.0-or-later
// The main of every test program: a GUI application on the offscreen
// platform (fonts, text documents) around GoogleTest; a widget application
// for the tests of windows.
#include "platform/Environment.h"

#ifdef VANTIX_TEST_WIDGETS
#include <QApplication>
using Application = QApplication;
#else
#include <QGuiApplication>
using Application = QGuiApplication;
#endif

#include <gmock/gmock.h>

int main(int argc, char* argv[])
{
    Platform::prepareGuiEnvironment();
    Application app(argc, argv);
    testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
