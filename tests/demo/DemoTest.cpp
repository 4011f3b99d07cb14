// SPDX-License-Identifier: GPL-3.0-or-later
// The demo workspace as the later parts of the program will meet it: its
// settings, its filing tree read back through the suite's readers, its job
// folders and reply pages.
#include "demo/Demo.h"

#include "ScriptedUiHost.h"
#include "datafiles/CountryLists.h"
#include "datafiles/EventFile.h"
#include "datafiles/FileInfoFile.h"
#include "datafiles/PostcodeFile.h"
#include "datafiles/ProfileFile.h"
#include "datafiles/ShareFile.h"
#include "demo/Countries.h"
#include "demo/Words.h"
#include "platform/RegistryHive.h"
#include "shared/Messages.h"
#include "shared/Paths.h"
#include "shared/Settings.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

namespace {

using Demo::DemoOptions;

constexpr int People = 20;

DemoOptions smallOptions(quint64 seed)
{
    DemoOptions options;
    options.contacts = People;
    options.emailsPerJob = 8;
    options.seed = seed;
    return options;
}

// Every file of a workspace but its hive, by relative path, with a hash of
// its bytes; folders with an empty hash.
std::map<QString, QByteArray> contents(const QString& root)
{
    std::map<QString, QByteArray> files;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    const QDir base(root);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = base.relativeFilePath(path);
        if (relative == QStringLiteral("registry.sqlite3"))
            continue;
        QByteArray hash;
        if (it.fileInfo().isFile()) {
            QFile file(path);
            EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
            hash = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
        }
        files[relative] = hash;
    }
    return files;
}

QString hiveText(const QString& registry)
{
    return Platform::RegistryHive::open(registry)->exportText(Global::SettingsRoot);
}

QString setting(const QString& section, const QString& key)
{
    return Global::GetRegistryData(section, key).toString();
}

// One small workspace for the tests that only look at it.
class DemoWorkspace : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        dir = new QTemporaryDir;
        made = Demo::createWorkspace(dir->filePath(QStringLiteral("ws")), smallOptions(7));
    }
    static void TearDownTestSuite()
    {
        delete dir;
        dir = nullptr;
    }

    void SetUp() override { Global::setSettingsHive(Platform::RegistryHive::open(made.registry)); }
    void TearDown() override { Global::setSettingsHive(nullptr); }

    Testing::ScriptedUiHost host;
    static inline QTemporaryDir* dir = nullptr;
    static inline Demo::DemoSummary made;
};

} // namespace

TEST(Demo, TheSameSeedGivesTheSameFilesAnotherSeedOthers)
{
    QTemporaryDir dir;
    const auto a = Demo::createWorkspace(dir.filePath(QStringLiteral("a")), smallOptions(11));
    const auto b = Demo::createWorkspace(dir.filePath(QStringLiteral("b")), smallOptions(11));
    const auto c = Demo::createWorkspace(dir.filePath(QStringLiteral("c")), smallOptions(12));

    const auto filesA = contents(a.folder);
    EXPECT_GT(filesA.size(), size_t(People * 2));
    EXPECT_EQ(filesA, contents(b.folder));
    // The hives differ only in the workspace's own path.
    EXPECT_EQ(hiveText(a.registry).replace(a.folder, QStringLiteral("DIR")),
              hiveText(b.registry).replace(b.folder, QStringLiteral("DIR")));

    const auto filesC = contents(c.folder);
    EXPECT_NE(filesA, filesC);
    EXPECT_EQ(c.people, People);
}

TEST(Demo, RefusesAFolderThatHoldsAnything)
{
    QTemporaryDir dir;
    const QString keep = dir.filePath(QStringLiteral("keep.txt"));
    {
        QFile file(keep);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("mine");
    }
    try {
        Demo::createWorkspace(dir.path(), smallOptions(1));
        FAIL() << "a folder that holds a file was used";
    } catch (const Demo::DemoError& error) {
        EXPECT_TRUE(error.message().contains(u"not empty")) << error.message().toStdString();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("keep.txt")});
    QFile file(keep);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("mine"));

    EXPECT_THROW(Demo::createWorkspace(keep, smallOptions(1)), Demo::DemoError);
}

TEST_F(DemoWorkspace, HoldsTheSettingsThatTheProgramsRead)
{
    const QString root = made.folder + QLatin1Char('/');
    EXPECT_EQ(setting(QStringLiteral("Config\\Modes"), QStringLiteral("LastMode")),
              QStringLiteral("Demo"));
    const QString mode = QStringLiteral("Config\\Modes\\Demo");
    EXPECT_EQ(Global::GetRegistryData(mode, QStringLiteral("Local"),
                                      {.defaultValue = 0, .valueType = 1, .max = 0, .min = -1})
                  .toDouble(),
              -1.0);

    // Every folder setting that the program lists names a folder inside the
    // workspace.
    for (const QString& item : Global::ResolveRes(55).split(QLatin1Char('|'))) {
        const QString name = item.section(QLatin1Char(','), 1);
        const QString folder = setting(mode, name);
        EXPECT_TRUE(folder.startsWith(root)) << name.toStdString();
        EXPECT_TRUE(QFileInfo(folder).isDir()) << folder.toStdString();
    }
    const QString newContacts = setting(mode, QStringLiteral("NewContactsFolder"));
    EXPECT_TRUE(newContacts.startsWith(setting(mode, QStringLiteral("FilingFolder")) + u'/'));
    EXPECT_FALSE(Routines_FileInfoFile::ReadFileInfo(newContacts + QStringLiteral("/FileInfo.inf"))
                     .RealRef.isEmpty());

    const QString userFolder = setting(QStringLiteral("Config"), QStringLiteral("UserFolder"));
    EXPECT_TRUE(
        QFileInfo(setting(mode, QStringLiteral("UsersFolder")) + u'/' + userFolder).isDir());
    EXPECT_TRUE(QFileInfo(setting(QStringLiteral("Config"), QStringLiteral("RunFrom"))).isDir());
    EXPECT_EQ(Global::listingNames(Global::GetRegistryData(QStringLiteral("Config\\Countries"),
                                                           QStringLiteral("ALLSUBKEYS"))
                                       .toString())
                  .first(),
              QStringLiteral("United Kingdom"));

    // Three forms, each splitting its lines differently.
    const QString forms = QStringLiteral("EMail\\FormSubmissions");
    QSet<QString> delimiters;
    for (const QString& branch : Global::listingNames(setting(forms, QStringLiteral("BRANCHES")))) {
        EXPECT_FALSE(setting(forms + u'\\' + branch, QStringLiteral("Name")).isEmpty());
        delimiters << Global::GetRegistryData(forms + u'\\' + branch, QStringLiteral("Delimiter"),
                                              {.defaultValue = QStringLiteral(" =")})
                          .toString();
    }
    EXPECT_EQ(delimiters.size(), 3);

    // The main window starts on a reply page and the showcase job folder.
    EXPECT_TRUE(
        QFileInfo(setting(QStringLiteral("Tagmill"), QStringLiteral("LastDocument"))).isFile());
    EXPECT_EQ(setting(QStringLiteral("Tagmill"), QStringLiteral("LastFolder")), made.showcaseJob);

    // The share file gives the users, the workspace's user among them, and
    // the finder's label lists.
    Routines_ShareFile::setShareFilePath(setting(mode, QStringLiteral("SharedFolder")) +
                                         QStringLiteral("/Shared.bin"));
    QString labels;
    ASSERT_TRUE(Routines_ShareFile::ReadShare(6, labels));
    EXPECT_GE(labels.count(QChar(0)), 4);
    ASSERT_TRUE(Routines_ShareFile::ReadShare(4, labels));
    EXPECT_GE(labels.count(QChar(0)), 4);
    QString unused;
    ASSERT_TRUE(Routines_ShareFile::ReadShare(33, unused));
    ASSERT_FALSE(Routines_ShareFile::users().empty());
    EXPECT_EQ(Routines_ShareFile::users().front().login.value(), userFolder);
    Routines_ShareFile::setUsers({});
    Routines_ShareFile::setShareFilePath(QString());
}

TEST_F(DemoWorkspace, PassesTheStartUpCheckAndResolvesThePicksOfItsTree)
{
    Global::CheckPaths();
    EXPECT_TRUE(host.boxes.isEmpty());
    const Global::CheckedPaths& paths = Global::checkedPaths();
    EXPECT_EQ(paths.shareFile, made.folder + QStringLiteral("/Shared/Shared.bin"));
    EXPECT_EQ(paths.userFolder, made.folder + QStringLiteral("/Users/") + made.user);
    // The share reader reads the share file that the check settled.
    QString labels;
    EXPECT_TRUE(Routines_ShareFile::ReadShare(6, labels));
    Routines_ShareFile::setUsers({});

    // The finder hands back a reference; it leads to the folder that bears it.
    Global::GetDataFolder(QString(), true);
    Global::FindFolderByRef(QString(), QString());
    QString name;
    QString ref;
    Global::ResolveFolderName(made.showcaseJob, name, ref);
    ASSERT_FALSE(ref.isEmpty());
    EXPECT_EQ(Global::ResolveFolderRef(ref), made.showcaseJob);
}

TEST_F(DemoWorkspace, FilingTreeReadsBackWithUniqueReferences)
{
    const QString filing = made.folder + QStringLiteral("/Filing");
    const auto root = Routines_FileInfoFile::ReadFileInfo(filing + QStringLiteral("/FileInfo.inf"));
    EXPECT_TRUE(root.HasChildFolders);

    static const QRegularExpression named(QStringLiteral(R"(^(.+) \[(\d+(?:-\d+)*)\]$)"));
    static const QRegularExpression postcode(
        QStringLiteral(R"(^[A-Z]{1,2}\d{1,2} \d[ABD-HJLNP-UW-Z]{2}$)"));
    QSet<QString> refs;
    int people = 0;
    QDirIterator it(filing, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString folder = it.next();
        const QString name = it.fileName();
        const auto match = named.match(name);
        ASSERT_TRUE(match.hasMatch()) << name.toStdString();
        const QString ref = match.captured(2);
        EXPECT_FALSE(refs.contains(ref)) << ref.toStdString();
        refs << ref;

        const auto info =
            Routines_FileInfoFile::ReadFileInfo(folder + QStringLiteral("/FileInfo.inf"));
        EXPECT_EQ(info.RealRef, ref);
        const auto parent = Routines_FileInfoFile::ReadFileInfo(QFileInfo(folder).path() +
                                                                QStringLiteral("/FileInfo.inf"));
        EXPECT_TRUE(
            parent.FolderSummary.contains(DataFiles::folderSummaryEntry(ref, info.FolderID)))
            << name.toStdString();
        EXPECT_TRUE(parent.RealRef.isEmpty() || ref.startsWith(parent.RealRef + u'-'))
            << name.toStdString();
        EXPECT_GE(parent.LastRef, ref.section(u'-', -1).toInt());
        const bool hasChildren =
            !QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty();
        EXPECT_EQ(info.HasChildFolders != 0, hasChildren) << name.toStdString();

        if (info.FolderID == DataFiles::NeverIndexed)
            continue; // the new-contacts branch
        const auto profile =
            Routines_ProfileFile::ReadProfile(folder + QStringLiteral("/Profile.pro"));
        EXPECT_EQ(profile.kind, info.FolderID);
        EXPECT_FALSE(profile.displayName.isEmpty());
        EXPECT_TRUE(profile.indexFlag());
        EXPECT_TRUE(postcode.match(profile.addresses[0].postcode).hasMatch())
            << profile.addresses[0].postcode.toStdString();
        EXPECT_FALSE(profile.addresses[0].town.isEmpty());
        EXPECT_TRUE(profile.contacts[0].inUse());
        if (info.FolderID != DataFiles::FolderC)
            ++people;
    }
    EXPECT_EQ(people, People);
    EXPECT_EQ(people, made.people);
    EXPECT_TRUE(host.boxes.isEmpty());
}

TEST_F(DemoWorkspace, JobFoldersHoldEveryKindOfEmail)
{
    int emails = 0;
    QDirIterator it(made.folder + QStringLiteral("/Filing"), {QStringLiteral("*.emi")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const auto event = FileOperations::ReadEvent(it.next());
        EXPECT_TRUE(it.fileName().startsWith(u"EMI_"));
        EXPECT_FALSE(event.Subject.isEmpty());
        EXPECT_TRUE(event.Body.startsWith(u"{\\rtf1"));
        ++emails;
    }
    EXPECT_EQ(emails, made.emails);
    EXPECT_EQ(made.jobFolders, People / 10);

    // The showcase folder: each form submitted, e-mails the scan skips, and a
    // body from a rich-text control; no form that no definition names, whose
    // note would greet a new user before the window does.
    const QString forms = QStringLiteral("EMail\\FormSubmissions");
    QStringList names;
    QStringList delimiters;
    for (const QString& branch : Global::listingNames(setting(forms, QStringLiteral("BRANCHES")))) {
        names << setting(forms + u'\\' + branch, QStringLiteral("Name")).toLower();
        delimiters << Global::GetRegistryData(forms + u'\\' + branch, QStringLiteral("Delimiter"),
                                              {.defaultValue = QStringLiteral(" =")})
                          .toString();
    }
    QSet<qsizetype> submitted;
    int unknown = 0;
    int skipped = 0;
    int richText = 0;
    const QDir job(made.showcaseJob);
    for (const QString& file : job.entryList({QStringLiteral("*.emi")}, QDir::Files)) {
        const auto event = FileOperations::ReadEvent(job.filePath(file));
        if (event.Body.contains(u"\\viewkind4\\uc1\\pard") && event.Body.contains(u"\\'"))
            ++richText;
        if (!event.EntryFlagA || !event.EntryFlagB) {
            ++skipped;
            continue;
        }
        const qsizetype form = names.indexOf(event.Subject.toLower());
        if (form < 0) {
            ++unknown;
            continue;
        }
        submitted << form;
        EXPECT_TRUE(event.Body.contains(delimiters[form])) << file.toStdString();
    }
    EXPECT_EQ(submitted.size(), 3);
    EXPECT_EQ(unknown, 0);
    EXPECT_EQ(skipped, 2);
    EXPECT_EQ(richText, 1);
    EXPECT_TRUE(host.boxes.isEmpty());
}

TEST_F(DemoWorkspace, ReplyPagesTagEveryField)
{
    const QString forms = QStringLiteral("EMail\\FormSubmissions");
    const QString templates =
        setting(QStringLiteral("Config\\Modes\\Demo"), QStringLiteral("TemplatesFolder"));
    static const QRegularExpression comment(QStringLiteral("<!--(.*?)-->"),
                                            QRegularExpression::DotMatchesEverythingOption);
    for (const QString& branch : Global::listingNames(setting(forms, QStringLiteral("BRANCHES")))) {
        const QString name = setting(forms + u'\\' + branch, QStringLiteral("Name"));
        QFile file(templates + u'/' + name + QStringLiteral(".htm"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const QString page = QString::fromUtf8(file.readAll());
        QStringList tags;
        for (const auto& match : comment.globalMatch(page))
            tags << match.captured(1).trimmed();
        for (const QString& field :
             setting(forms + u'\\' + branch, QStringLiteral("Fields")).split(u',')) {
            EXPECT_TRUE(tags.contains(field) || std::any_of(tags.begin(), tags.end(),
                                                            [&](const QString& tag) {
                                                                return tag.contains(u'\n') &&
                                                                       tag.startsWith(field);
                                                            }))
                << name.toStdString() << ": " << field.toStdString();
        }
        EXPECT_TRUE(std::any_of(tags.begin(), tags.end(),
                                [](const QString& tag) { return tag.contains(u'>'); }));
    }
}

TEST_F(DemoWorkspace, EveryContactsPostcodeFindsItsAddress)
{
    Routines_RADs::PostcodeFile file = *Routines_RADs::PostcodeFile::open(
        made.folder + QStringLiteral("/RADs/UKPAF.BIN"), QStringLiteral("UKPAF.BIN"));
    int severalAddresses = 0, businesses = 0;
    QDirIterator it(made.folder + QStringLiteral("/Filing"), {QStringLiteral("Profile.pro")},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const auto profile = Routines_ProfileFile::ReadProfile(it.next());
        const DataFiles::ProfileAddress& a = profile.addresses[0];
        const QString address =
            QStringList{a.building, a.road, a.district, a.town, a.county, a.postcode}.join(u'|') +
            u'|';
        const QStringList found = file.lookup(a.postcode).addresses;
        EXPECT_TRUE(std::any_of(found.begin(), found.end(), [&](const QString& f) {
            return f.startsWith(address);
        })) << address.toStdString();
        severalAddresses += found.size() > 1;
        businesses += std::count_if(found.begin(), found.end(),
                                    [](const QString& f) { return !f.endsWith(u'|'); });
    }
    EXPECT_GT(severalAddresses, 0);
    EXPECT_GT(businesses, 0);
    EXPECT_TRUE(host.boxes.isEmpty());
}

TEST(Demo, TheInternationalDatabaseKnowsTheCodeOfEveryNumberTheDemoDials)
{
    const DataFiles::InternationalRecord record = Demo::internationalDatabase();
    const DataFiles::CountryRecord* uk = record.country(QLatin1String(Demo::HomeCountry));
    ASSERT_NE(uk, nullptr);
    EXPECT_EQ(uk->diallingCode, QStringLiteral("44"));
    for (const Demo::Words::Town& town : Demo::Words::Towns) {
        const QString number = QString::fromLatin1(town.phonePrefix) + QStringLiteral("123");
        const DataFiles::AreaCodeMatch match = DataFiles::lookUpAreaCode(*uk, number);
        EXPECT_EQ(match.message, 0) << number.toStdString();
        // The drama range has no town; every other code is the town's own.
        if (!number.startsWith(u"01632")) {
            EXPECT_EQ(match.place, QString::fromUtf8(town.name)) << number.toStdString();
        }
    }
    EXPECT_EQ(DataFiles::lookUpAreaCode(*uk, QLatin1String(Demo::Words::MobilePrefix) +
                                                 QStringLiteral("123"))
                  .place,
              QStringLiteral("Mobile telephones"));
    // Both kinds of answer that fall short of a town are there to be met.
    EXPECT_EQ(DataFiles::lookUpAreaCode(*uk, QStringLiteral("028")).message,
              DataFiles::NotExactLocale);
    EXPECT_EQ(DataFiles::lookUpAreaCode(*uk, QStringLiteral("017687 12345")).place,
              QStringLiteral("Keswick"));
    EXPECT_EQ(DataFiles::lookUpAreaCode(*uk, QStringLiteral("0999")).message,
              DataFiles::UnknownAreaCode);
}

TEST_F(DemoWorkspace, ItsCountriesAndDatabaseServeTheNewContactPanel)
{
    Global::CheckPaths();
    FileOperations::setInternationalFilePath(QString());
    EXPECT_EQ(FileOperations::internationalFilePath(),
              made.folder + QStringLiteral("/Shared/International.bin"));

    // The settings list the home country first, then the world.
    struct Names : FileOperations::ListTarget
    {
        QStringList names;
        void addItem(const QString& text, qint64) override { names << text; }
        void clear() override { names.clear(); }
        void setTabStop(int) override {}
    } list;
    QString command = QStringLiteral("FILLCOUNTRIES");
    QString result;
    ASSERT_TRUE(FileOperations::PlaceFromAreaCode(list, command, result).done);
    ASSERT_EQ(list.names.size(), qsizetype(Demo::WorldCountries.size()));
    EXPECT_EQ(list.names.first(), QLatin1String(Demo::HomeCountry));
    EXPECT_TRUE(list.names.contains(QStringLiteral("C\u00F4te d'Ivoire")));

    // Every number of the filing tree has its place in the local country.
    int numbers = 0;
    QDirIterator it(made.folder + QStringLiteral("/Filing"), {QStringLiteral("Profile.pro")},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const DataFiles::ProfileRecord profile = Routines_ProfileFile::ReadProfile(it.next());
        for (const DataFiles::ProfileContactPoint& point : profile.contacts) {
            if (!point.inUse() || point.kind == DataFiles::ProfileContactPoint::EMailNum)
                continue;
            QString number = point.number;
            QString place;
            const FileOperations::PlaceOutcome outcome =
                FileOperations::PlaceFromAreaCode({}, number, place);
            EXPECT_EQ(outcome.message, 0) << point.number.toStdString();
            EXPECT_FALSE(place.isEmpty()) << point.number.toStdString();
            ++numbers;
        }
    }
    EXPECT_GT(numbers, People);
    command = QStringLiteral("CLOSE");
    FileOperations::PlaceFromAreaCode({}, command, result);
    EXPECT_TRUE(host.boxes.isEmpty());
}
