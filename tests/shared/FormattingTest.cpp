// SPDX-License-Identifier: GPL-3.0-or-later
#include "shared/Formatting.h"

#include "ScriptedUiHost.h"
#include "TestSettings.h"
#include "shared/Fonts.h"
#include "shared/Tweaks.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace Global;

TEST(Formatting, SplitList)
{
    EXPECT_EQ(SplitList(QStringLiteral("a,b,c")), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(SplitList(QStringLiteral("a,b,c,")), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(SplitList(QStringLiteral("a,,b")), (QStringList{"a", "", "b"}));
    EXPECT_EQ(SplitList(QStringLiteral(",")), QStringList{""});
    EXPECT_TRUE(SplitList(QString()).isEmpty());
    EXPECT_EQ(SplitList(QStringLiteral("Index,IndexFolder|Users,UsersFolder"), QStringLiteral("|")),
              (QStringList{"Index,IndexFolder", "Users,UsersFolder"}));
    QStringList many;
    for (int i = 0; i < 70; ++i)
        many << QString::number(i);
    EXPECT_EQ(SplitList(many.join(u',')).size(), 60);
    EXPECT_EQ(SplitNumbers(QStringLiteral("9,10,x,36")), (QList<double>{9, 10, 0, 36}));
}

TEST(Formatting, SearchKeys)
{
    Testing::TestSettings settings;
    const std::tuple<const char*, bool, const char*> cases[] = {
        {"O'Brien & Co.", false, "OBRIENCO"},
        {"my-page.htm", false, "MYPAGEHTM"},
        {"MY PAGE.HTM", false, "MYPAGEHTM"},
        {"J R R Tolkien", true, "JRR TOLKIEN"},
        {"AB C D", true, "AB CD"},
        {"  a  ", true, "A"},
        {"a ", true, "A "},
        {"Smith & Sons Ltd", true, "SMITH  SONS LTD"},
        {"stra\u00dfe", false, "STRA\u00dfE"},
    };
    for (const auto& [text, wordMode, key] : cases)
        EXPECT_EQ(MakeSearchKey(QString::fromUtf8(text), wordMode), QString::fromUtf8(key)) << text;

    // The tweak's letters count once it is read afresh.
    settings.set(QStringLiteral("Tweaks"), QStringLiteral("IrrelevantSearchLetters"),
                 QStringLiteral("X"));
    GetTweak(-1);
    EXPECT_EQ(MakeSearchKey(QStringLiteral("FoX & Co!")), QStringLiteral("FO&CO!"));
}

TEST(Formatting, FilenamePieces)
{
    Testing::ScriptedUiHost host;
    const FilenameFormat windows{.separator = QStringLiteral("\\")};
    const QString doc = QStringLiteral("C:\\Data\\Letters\\Smith.doc");
    const std::pair<const char*, const char*> cases[] = {
        {"NX", "Smith.doc"}, {"P", "C:\\Data\\Letters\\"},
        {"M", "Letters"},    {"D", "C:"},
        {"L", "C:\\Data"},   {"X", ".doc"},
        {"N", "Smith"},      {"(S)", "(C:\\Data\\Letters\\Smith.doc)"},
    };
    for (const auto& [codes, text] : cases)
        EXPECT_EQ(FormatFilename(doc, QString::fromLatin1(codes), windows),
                  QString::fromLatin1(text))
            << codes;

    // Folders of the filing tree: a "." that a "]" follows is no extension.
    const QString smith = QStringLiteral("/data/Filing/Acme Ltd. [12]/Smith [12-3]");
    EXPECT_EQ(FormatFilename(smith, QStringLiteral("M")), QStringLiteral("Smith [12-3]"));
    EXPECT_EQ(FormatFilename(smith, QStringLiteral("L")),
              QStringLiteral("/data/Filing/Acme Ltd. [12]"));
    EXPECT_EQ(FormatFilename(smith, QStringLiteral("P")), smith);
    EXPECT_EQ(FormatFilename(smith, QStringLiteral("MU")), QStringLiteral("Smith"));
    EXPECT_EQ(FormatFilename(QStringLiteral("a [1] b [2"), QStringLiteral("SU")),
              QStringLiteral("a b [2"));
    EXPECT_EQ(FormatFilename(QStringLiteral("/data/Plain"), QStringLiteral("N")), QString());
    EXPECT_EQ(FormatFilename(smith, QStringLiteral("C"), {.base = QStringLiteral("/DATA/filing")}),
              QStringLiteral("Acme Ltd. [12]/Smith [12-3]"));
}

TEST(Formatting, FilenameShortening)
{
    Testing::ScriptedUiHost host;
    const QString path = QStringLiteral("/home/user/Documents/Letters/Smith.doc");
    EXPECT_EQ(FormatFilename(path, QStringLiteral("T"), {.limit = 100}), path);
    EXPECT_EQ(FormatFilename(path, QStringLiteral("T"), {.limit = 30}),
              QStringLiteral("/.../Letters/Smith.doc"));
    EXPECT_EQ(FormatFilename(path, QStringLiteral("T"), {.limit = 15}),
              QStringLiteral("/.../Smith.doc"));
    EXPECT_EQ(FormatFilename(path, QStringLiteral("T"), {.limit = 12}),
              QStringLiteral("/./Smith.doc"));
    EXPECT_EQ(FormatFilename(path, QStringLiteral("M"), {.limit = 4}), QStringLiteral("Lett..."));
    const QString narrow =
        FormatFilename(path, QStringLiteral("W"), {.limit = 2000, .width = widthIn()});
    EXPECT_LT(narrow.size(), path.size());
    EXPECT_TRUE(narrow.endsWith(u"/Smith.doc")) << narrow.toStdString();
}

TEST(Formatting, FilenameAsStored)
{
    Testing::ScriptedUiHost host;
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("Job [12]")));
    QFile file(dir.filePath(QStringLiteral("Job [12]/FileInfo.inf")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(
        FormatFilename(dir.path() + QStringLiteral("/JOB [12]/fileinfo.INF"), QStringLiteral("G")),
        dir.path() + QStringLiteral("/Job [12]/FileInfo.inf"));
}

TEST(Formatting, FileSizes)
{
    Testing::ScriptedUiHost host;
    const std::pair<double, const char*> cases[] = {
        {5000, "5,000 bytes"}, {20000, "19.5KB"},   {1000000, "1.0MB"}, {10240, "10,240 bytes"},
        {10241, "10.0KB"},     {902500, "881.3KB"}, {902501, "0.9MB"},
    };
    for (const auto& [size, text] : cases)
        EXPECT_EQ(FormatFileSize(QString(), size), QString::fromLatin1(text)) << size;
    EXPECT_EQ(FormatFileSize(QString(), 100, QStringLiteral("K")), QStringLiteral("0.1KB"));
    EXPECT_EQ(FormatFileSize(QString(), 100, QStringLiteral("M")), QStringLiteral("0.0MB"));

    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("a.bin")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(1500, 'x'));
    file.close();
    EXPECT_EQ(FormatFileSize(file.fileName()), QStringLiteral("1,500 bytes"));
}

TEST(Formatting, TruncateText)
{
    const std::tuple<const char*, int, bool, const char*> cases[] = {
        {"one two three", 6, true, "one..."},
        {"one two three", 7, true, "one two..."},
        {"one two three", 6, false, "one"},
        {"short", 10, true, "short"},
        {"first line\r\nsecond", 40, true, "first line"},
        {"abcdefgh", 3, true, "abc..."},
        {"abcdefgh", 3, false, "abc"},
        {"trailing   ", 20, true, "trailing"},
    };
    for (const auto& [text, length, ellipsis, result] : cases)
        EXPECT_EQ(TruncateText(QString::fromLatin1(text), length, ellipsis),
                  QString::fromLatin1(result))
            << text << " " << length;
    EXPECT_EQ(TruncateText(QStringLiteral("a\r\nb"), 10, true, false), QStringLiteral("a\r\nb"));
}
