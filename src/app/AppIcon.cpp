// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppIcon.h"

#include <QDir>

QIcon tagmillIcon()
{
    QIcon icon;
    const QDir sizes(QStringLiteral(":/icons/app"));
    for (const QString& name : sizes.entryList({QStringLiteral("tagmill-*.png")}))
        icon.addFile(sizes.filePath(name));
    return icon;
}
