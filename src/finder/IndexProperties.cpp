// SPDX-License-Identifier: GPL-3.0-or-later
#include "IndexProperties.h"

#include "index/Build.h"
#include "index/SearchKeys.h"
#include "platform/UiHost.h"
#include "shared/Messages.h"
#include "shared/Paths.h"
#include "shared/Settings.h"
#include "shared/Values.h"

#include <QElapsedTimer>

#include <algorithm>

namespace Finding {
namespace {

enum Str : int
{
    OkText = 400,
    CancelText = 401,
    TabsText = 904,
    TitleText = 905,
    RebuildText = 906,
    PromptsText = 950,
    UnreadableFolders = 972,
    Rebuilt = 975,
    RebuildStopped = 978,
};

const QString Config = QStringLiteral("Config");
const QString Bold = QStringLiteral("\x01"
                                    "B");
const QString BoldOff = QStringLiteral("\x01"
                                       "b");
// The rebuild list holds this many fields at the most.
constexpr int MaxRebuildRows = 60;

QString tickImage(bool ticked)
{
    return ticked ? QStringLiteral("Y") : QStringLiteral("N");
}

} // namespace

IndexProperties::IndexProperties(QObject* parent) : QObject(parent) {}

QList<int> IndexProperties::swatchColours()
{
    QList<int> colours;
    for (int c = 15; c >= 0; --c)
        colours << c;
    return colours;
}

void IndexProperties::LoadProperties()
{
    // A panel whose rebuild runs keeps what it shows until the rebuild ends.
    if (m_rebuilding)
        return;
    Global::guarded("frm_Find:LoadProperties", [&] {
        m_tabs = Global::ResolveRes(TabsText).split(QLatin1Char('|'));
        m_ok = Global::ResolveRes(OkText);
        m_cancel = Global::ResolveRes(CancelText);
        m_rebuildCaption = Global::ResolveRes(RebuildText);
        m_title = Global::ResolveRes(TitleText);
        m_workingIn = Global::GetDataFolder(QStringLiteral("FilingFolder"));
        m_prompts = Global::ResolveRes(PromptsText).split(QLatin1Char('|'));
        m_rows.clear();
        for (const QString& field : Indexing::GetIndexedFields()) {
            if (m_rows.size() == MaxRebuildRows)
                break;
            m_rows.append({Bold + field.section(QLatin1Char('|'), 0, 0) + BoldOff,
                           field.section(QLatin1Char('|'), 1), false, tickImage(false)});
        }
        m_colours = storedListColours();
    });
    m_stopRequested = false;
    setRebuildEnabled(false);
    emit workingInChanged(m_workingIn);
    emit loaded();
    setShown(true);
}

void IndexProperties::rowClicked(int row, bool flag1, bool flag2)
{
    if (flag1 || flag2 || m_rebuilding || row < 0 || row >= m_rows.size() ||
        m_rows[row].data.isEmpty())
        return;
    RebuildRow& clicked = m_rows[row];
    clicked.ticked = !clicked.ticked;
    clicked.image = tickImage(clicked.ticked);
    emit rowChanged(row);
    setRebuildEnabled(
        std::any_of(m_rows.cbegin(), m_rows.cend(), [](const RebuildRow& r) { return r.ticked; }));
}

void IndexProperties::highlightRowChosen(int row)
{
    if (!m_rebuilding && row >= 0 && row < swatchColours().size())
        m_colours.highlight = swatchColours()[row];
}

void IndexProperties::hoverRowChosen(int row)
{
    if (!m_rebuilding && row >= 0 && row < swatchColours().size())
        m_colours.hover = swatchColours()[row];
}

void IndexProperties::ok()
{
    if (m_rebuilding || !m_shown)
        return;
    setShown(false);
    Platform::uiHost().doEvents();
    Global::SaveRegistryData(Config, QStringLiteral("HighlightColour"),
                             QString::number(m_colours.highlight));
    Global::SaveRegistryData(Config, QStringLiteral("HoverColour"),
                             QString::number(m_colours.hover));
    emit coloursApplied(m_colours);
    emit closed();
}

void IndexProperties::cancel()
{
    if (m_rebuilding || !m_shown)
        return;
    setShown(false);
    emit closed();
}

bool IndexProperties::rebuild()
{
    if (m_rebuilding || !m_shown || !m_rebuildEnabled)
        return false;
    QList<qint16> fields;
    for (const RebuildRow& row : std::as_const(m_rows)) {
        if (row.ticked)
            fields << qint16(row.data.toInt());
    }
    m_rebuilding = true;
    m_stopRequested = false;
    emit rebuildingChanged(true);
    emit progressChanged(0);
    emit progressShown(true);
    QStringList unreadable;
    const Indexing::BuildProgress progress{
        .setValue = [this](int percent) { emit progressChanged(percent); },
        .setLabel =
            [this](const QString& label) {
                m_workingIn = label;
                emit workingInChanged(label);
            },
        .stopRequested = [this] { return m_stopRequested; },
        .folderUnreadable = [&](const QString& folder, const QString&) { unreadable << folder; },
    };
    bool rebuilt = false;
    QElapsedTimer took;
    took.start();
    try {
        rebuilt = Indexing::RebuildIndexFile(progress, fields);
    } catch (...) {
        Global::reportCurrentFault("frm_Find:but_Rebuild_Click", QString());
    }
    // The status says what was done: folders left out, the indexes rebuilt
    // (with the walk's last count), or a rebuild stopped that changed
    // nothing. A rebuild that failed has said why in its own message.
    if (!unreadable.isEmpty()) {
        emit statusReported(Global::ResolveRes(
            UnreadableFolders, {int(unreadable.size()), unreadable.join(QStringLiteral(", "))}));
    } else if (rebuilt) {
        emit statusReported(Global::ResolveRes(
            Rebuilt, {int(fields.size()), Global::formatNumber(took.elapsed() / 1000.0, u"#,##0.0"),
                      m_workingIn}));
    } else if (m_stopRequested) {
        emit statusReported(Global::ResolveRes(RebuildStopped));
    }
    emit progressShown(false);
    m_rebuilding = false;
    emit rebuildingChanged(false);
    ok();
    return rebuilt && unreadable.isEmpty();
}

bool IndexProperties::refuseClose() const
{
    if (m_shown)
        Platform::uiHost().beep();
    return m_shown;
}

void IndexProperties::setShown(bool shown)
{
    if (shown == m_shown)
        return;
    m_shown = shown;
    emit shownChanged(shown);
}

void IndexProperties::setRebuildEnabled(bool enabled)
{
    if (enabled == m_rebuildEnabled)
        return;
    m_rebuildEnabled = enabled;
    emit rebuildEnabledChanged(enabled);
}

} // namespace Finding
