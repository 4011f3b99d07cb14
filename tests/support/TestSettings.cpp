// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSettings.h"

#include "platform/RegistryHive.h"
#include "platform/UiHost.h"
#include "shared/Settings.h"
#include "shared/Tweaks.h"

#include <gtest/gtest.h>

namespace Testing {
namespace {

void forgetTweaks()
{
    // Forgetting the tweaks shows the busy pointer; keep that away from any
    // scripted host of the test.
    Platform::UiHost* previous = Platform::setUiHost(nullptr);
    Global::GetTweak(-1);
    Platform::setUiHost(previous);
}

} // namespace

TestSettings::TestSettings()
{
    EXPECT_TRUE(m_dir.isValid());
    Global::setSettingsHive(Platform::RegistryHive::open(hivePath()));
    forgetTweaks();
}

TestSettings::~TestSettings()
{
    Global::setSettingsHive(nullptr);
    forgetTweaks();
}

void TestSettings::set(const QString& section, const QString& name, const QString& value)
{
    Global::settingsHive().setValue(Global::SettingsRoot + QLatin1Char('\\') + section, name,
                                    value);
}

} // namespace Testing
