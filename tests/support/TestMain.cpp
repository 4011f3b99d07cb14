// SPDX-License-Identifier: GPL-3.0-or-later
// The main of every test program: a GUI application on the offscreen
// platform (fonts, text documents) around GoogleTest.
#include "platform/Environment.h"

#include <QGuiApplication>

#include <gmock/gmock.h>

int main(int argc, char* argv[])
{
    Platform::prepareGuiEnvironment();
    QGuiApplication app(argc, argv);
    testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
