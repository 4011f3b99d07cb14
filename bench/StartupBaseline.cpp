// SPDX-License-Identifier: GPL-3.0-or-later
// What every vantix start is measured against (bench/startup.sh): a program
// that makes a Qt Core application and ends.
#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    return 0;
}
