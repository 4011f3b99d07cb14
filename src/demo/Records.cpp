// SPDX-License-Identifier: GPL-3.0-or-later
#include "Records.h"
namespace Demo {
QString folderSummaryEntry(const QString& ref, int kind)
{
    return QChar(16) + ref + QChar(17) + QString::number(kind) + QChar(18);
}
QByteArray fileInfoBytes(const FolderInfo&)
{
    return {};
}
QByteArray profileBytes(const Party&)
{
    return {};
}
QByteArray eventBytes(const DemoMail&)
{
    return {};
}
QByteArray shareBytes(const std::vector<DemoUser>&)
{
    return {};
}
} // namespace Demo
