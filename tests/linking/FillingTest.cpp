// SPDX-License-Identifier: GPL-3.0-or-later
#include "linking/Filling.h"

#include <gtest/gtest.h>

namespace {

using namespace Linking;

const QList<StoredLink> Links = {{QStringLiteral("<!-- Name -->"), QStringLiteral("Name")},
                                 {QStringLiteral("<!-- Town -->"), QStringLiteral("Town")}};

// Everything but the linked tags keeps the document's bytes: a byte-order
// mark, characters of several bytes before the tags, line ends of each kind.
TEST(Filling, AUtf8PageKeepsItsBytesAndGetsEscapedValues)
{
    const QByteArray page = "\xEF\xBB\xBF<p>Caf\xC3\xA9 \xF0\x9F\x98\x80\r\n<!-- name --> in "
                            "<!-- Town -->\n<!-- Name --><!-- Note --></p>";
    const FilledDocument filled =
        fillDocument(page, Links,
                     {{QStringLiteral("Name"), QStringLiteral("A <b> & \"Sons\" '1'")},
                      {QStringLiteral("Other"), QStringLiteral("x")}});
    const QByteArray name = "A &lt;b&gt; &amp; &quot;Sons&quot; &#39;1&#39;";
    EXPECT_EQ(filled.bytes, "\xEF\xBB\xBF<p>Caf\xC3\xA9 \xF0\x9F\x98\x80\r\n" + name +
                                " in <!-- Town -->\n" + name + "<!-- Note --></p>");
    ASSERT_EQ(filled.filled.size(), 1);
    EXPECT_EQ(filled.filled[0].tag, QStringLiteral("<!-- name -->"));
    EXPECT_EQ(filled.filled[0].value, QStringLiteral("A <b> & \"Sons\" '1'"));
    ASSERT_EQ(filled.missing.size(), 1);
    EXPECT_EQ(filled.missing[0].field, QStringLiteral("Town"));
    EXPECT_EQ(filled.unlinked, QStringList{QStringLiteral("<!-- Note -->")});
}

// A Windows-1252 page stays Windows-1252: a value's characters that it
// cannot hold become character references.
TEST(Filling, AWindows1252PageGetsReferencesForWhatItCannotHold)
{
    const QByteArray page = "<p>Gr\xFC\xDF <!-- Town --> \x80</p>";
    const FilledDocument filled = fillDocument(
        page, Links, {{QStringLiteral("Town"), QStringLiteral("\u0141\u00f3d\u017a \u20ac")}});
    EXPECT_EQ(filled.bytes, QByteArray("<p>Gr\xFC\xDF &#321;\xF3"
                                       "d&#378; \x80 \x80</p>"));
}

TEST(Filling, APageWithoutTagsOrLinksIsItsOwnBytes)
{
    const QByteArray page = "<html>\r\n<!-- open comment</html>";
    const FilledDocument filled = fillDocument(page, {}, {});
    EXPECT_EQ(filled.bytes, page);
    EXPECT_TRUE(filled.unlinked.isEmpty());
}

} // namespace
