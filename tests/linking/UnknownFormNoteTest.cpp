// SPDX-License-Identifier: GPL-3.0-or-later
#include "linking/UnknownFormNote.h"

#include "ScriptedUiHost.h"
#include "TestSettings.h"

#include <gtest/gtest.h>

namespace {

using namespace Linking;

UnknownForm form(const char* subject, int count, const char* delimiter)
{
    return {QString::fromUtf8(subject), count, QString::fromUtf8(delimiter)};
}

TEST(UnknownFormNote, SaysTheFirstFormAndHowManyOthers)
{
    UnknownFormNote note;
    EXPECT_FALSE(note.isShown());
    EXPECT_TRUE(note.text().isEmpty());

    const struct
    {
        QList<UnknownForm> forms;
        const char* text;
    } cases[] = {
        {{form("Quote Request", 2, ": ")},
         "2 e-mails are of a form called 'Quote Request' that is not defined"},
        {{form("Quote Request", 1, ": "), form("Survey", 4, "=")},
         "1 e-mail is of a form called 'Quote Request' that is not defined (and 1 other form "
         "that is not defined either)"},
        {{form("A", 3, "="), form("B", 1, "="), form("C", 1, "=")},
         "3 e-mails are of a form called 'A' that is not defined (and 2 other forms that are "
         "not defined either)"},
    };
    for (const auto& c : cases) {
        note.setForms(c.forms);
        EXPECT_TRUE(note.isShown());
        EXPECT_EQ(note.text(), QString::fromUtf8(c.text));
        EXPECT_EQ(note.name(), c.forms[0].subject);
    }
    note.setForms({});
    EXPECT_FALSE(note.isShown());
}

TEST(UnknownFormNote, ATabGoesByItsNameInTheDelimiterBox)
{
    UnknownFormNote note;
    note.setForms({form("Tabbed", 1, "\t")});
    EXPECT_EQ(note.delimiterLabel(), QStringLiteral("Tab"));
    EXPECT_EQ(UnknownFormNote::delimiterLabels(), (QStringList{" =", ": ", ":", "=", "Tab"}));
    for (const QString& label : UnknownFormNote::delimiterLabels())
        EXPECT_EQ(UnknownFormNote::labelOf(UnknownFormNote::delimiterOf(label)), label);
    EXPECT_EQ(UnknownFormNote::delimiterOf(QStringLiteral("tab")), QStringLiteral("\t"));
    // Blanks are part of a delimiter: nothing is trimmed.
    EXPECT_EQ(UnknownFormNote::delimiterOf(QStringLiteral(" - ")), QStringLiteral(" - "));
}

TEST(UnknownFormNote, DefiningStoresTheFormAsTheBoxesSayIt)
{
    Testing::TestSettings settings;
    Testing::ScriptedUiHost host;
    EXPECT_FALSE(UnknownFormNote::define(QString(), QStringLiteral("=")));
    EXPECT_FALSE(UnknownFormNote::define(QStringLiteral("Quote"), QString()));
    EXPECT_TRUE(loadFormSubmissions().isEmpty());

    EXPECT_TRUE(UnknownFormNote::define(QStringLiteral("Quote"), QStringLiteral("Tab")));
    EXPECT_TRUE(UnknownFormNote::define(QStringLiteral("Survey"), QStringLiteral(": ")));
    const QList<FormSubmissionDef> defs = loadFormSubmissions();
    ASSERT_EQ(defs.size(), 2);
    EXPECT_EQ(defs[0].Name, QStringLiteral("Quote"));
    EXPECT_EQ(defs[0].Delimiter, QStringLiteral("\t"));
    EXPECT_EQ(defs[1].Delimiter, QStringLiteral(": "));
}

} // namespace
