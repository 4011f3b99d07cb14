// SPDX-License-Identifier: GPL-3.0-or-later
#include "Cursors.h"

#include "UiHost.h"

#include <QFile>
#include <QPixmap>

namespace Platform {
namespace {

constexpr int FirstOwnCursor = 20; // "CUR_20" up are images of ours

} // namespace

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
    if (pointer >= FirstOwnCursor) {
        // Our own images (tools/icons/DrawIcons.cpp), each with the point
        // that the pointer stands for.
        static const QPoint hotSpots[] = {{2, 2},   {13, 2}, {2, 2},   {2, 2},  {16, 16},
                                          {12, 12}, {3, 29}, {16, 16}, {16, 16}};
        const QString name = QStringLiteral(":/cursors/CUR_%1.png").arg(pointer);
        const qsizetype own = pointer - FirstOwnCursor;
        if (own < std::ssize(hotSpots) && QFile::exists(name))
            return QCursor(QPixmap(name), hotSpots[own].x(), hotSpots[own].y());
        // The pointing hand stands in for a number that has no image.
        return QCursor(Qt::PointingHandCursor);
    }
    return QCursor(cursorShape(pointer));
}

} // namespace Platform
