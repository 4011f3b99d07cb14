// SPDX-License-Identifier: GPL-3.0-or-later
#include "BalloonText.h"

#include "shared/EmphasisMarks.h"
#include "shared/Messages.h"
#include "shared/Settings.h"
#include "shared/Tweaks.h"

namespace Routines_BalloonHelp {
namespace {

const QString Branch = QStringLiteral("BalloonHelp");

} // namespace

bool balloonAllowed(int textNumber, bool force)
{
    if (force)
        return true;
    const double shown = Global::GetRegistryData(Branch, QString::number(textNumber),
                                                 {.defaultValue = 0, .valueType = 1})
                             .toDouble();
    return shown != -1;
}

void recordBalloonShown(int textNumber)
{
    if (textNumber != 0 && Global::GetTweak(Global::Tweak::BalloonShowOnce).isOn())
        Global::SaveRegistryData(Branch, QString::number(textNumber), QStringLiteral("-1"));
}

BalloonText balloonText(int textNumber, const std::optional<QString>& message)
{
    QString text = message ? *message : Global::ResolveRes(textNumber);
    if (message && !text.startsWith(QLatin1Char(',')))
        text.prepend(QLatin1Char(','));
    const qsizetype comma = text.indexOf(QLatin1Char(','));
    if (comma < 0)
        return {QString(), text};
    return {text.left(comma), text.mid(comma + 1)};
}

QString balloonHtml(QStringView message)
{
    QString html;
    for (const Global::EmphasisRun& run : Global::parseEmphasis(message)) {
        switch (run.kind) {
        case Global::EmphasisRun::Kind::NewLine:
            html += QLatin1String("<br>");
            break;
        case Global::EmphasisRun::Kind::ColumnStep:
            html += QLatin1String("&nbsp;&nbsp;&nbsp;&nbsp;");
            break;
        case Global::EmphasisRun::Kind::Text: {
            QString text = run.text.toHtmlEscaped();
            if (run.underline)
                text = QLatin1String("<u>") + text + QLatin1String("</u>");
            if (run.italic)
                text = QLatin1String("<i>") + text + QLatin1String("</i>");
            if (run.bold)
                text = QLatin1String("<b>") + text + QLatin1String("</b>");
            html += text;
            break;
        }
        }
    }
    return html;
}

quint32 balloonBackground()
{
    bool ok = false;
    const quint32 colour =
        Global::GetTweak(Global::Tweak::BalloonBackground).text().toUInt(&ok, 16);
    return ok ? colour : 0x80000018u;
}

int balloonDelay()
{
    return int(Global::GetTweak(Global::Tweak::BalloonDelay).number());
}

} // namespace Routines_BalloonHelp
