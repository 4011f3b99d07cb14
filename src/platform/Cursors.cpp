// SPDX-License-Identifier: GPL-3.0-or-later
#include "Cursors.h"

#include "UiHost.h"

#include <QFile>
#include <QPixmap>

namespace Platform {

Qt::CursorShape cursorShape(int pointer)
{
    switch (pointer) {
    case Pointer::Cross:
        return Qt::CrossCursor;
    case Pointer::IBeam:
        return Qt::IBeamCursor;
    case Pointer::Size:
    case Pointer::SizeAll:
        return Qt::SizeAllCursor;
    case Pointer::SizeNESW:
        return Qt::SizeBDiagCursor;
    case Pointer::SizeNS:
        return Qt::SizeVerCursor;
    case Pointer::SizeNWSE:
        return Qt::SizeFDiagCursor;
    case Pointer::SizeWE:
        return Qt::SizeHorCursor;
    case Pointer::UpArrow:
        return Qt::UpArrowCursor;
    case Pointer::Hourglass:
        return Qt::WaitCursor;
    case Pointer::NoDrop:
        return Qt::ForbiddenCursor;
    case Pointer::ArrowHourglass:
        return Qt::BusyCursor;
    case Pointer::ArrowQuestion:
        return Qt::WhatsThisCursor;
    default:
        return Qt::ArrowCursor;
    }
}

QCursor cursorFor(int pointer)
{
    if (pointer >= 20) {
        const QString name = QStringLiteral(":/cursors/CUR_%1.png").arg(pointer);
        if (QFile::exists(name))
            return QCursor(QPixmap(name));
        // Our one pointing cursor stands in for any that is not drawn yet.
        return QCursor(Qt::PointingHandCursor);
    }
    return QCursor(cursorShape(pointer));
}

} // namespace Platform
