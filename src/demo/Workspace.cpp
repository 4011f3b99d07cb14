// SPDX-License-Identifier: GPL-3.0-or-later
#include "Countries.h"
#include "Demo.h"
#include "Forms.h"
#include "People.h"
#include "Random.h"
#include "Records.h"
#include "Words.h"
#include "datafiles/DataFile.h"
#include "platform/RegistryHive.h"
#include "shared/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <vector>

namespace Demo {
namespace {

// The folder settings of a mode, in the order of the suite's list (string
// 55), each with the folder the demo gives it. The new-contacts folder lives
// in the filing tree and is named when the tree is made.
struct FolderSetting
{
    const char* setting;
    const char* folder;
};
const FolderSetting FolderSettings[] = {
    {"IndexFolder", "Index"},
    {"UsersFolder", "Users"},
    {"SharedFolder", "Shared"},
    {"TemplatesFolder", "Templates"},
    {"RADsFolder", "RADs"},
    {"FiltersFolder", "Filters"},
    {"LettersFolder", "Letters"},
    {"FormsFolder", "Forms"},
    {"FilingFolder", "Filing"},
    {"ArchiveFolder", "Archive"},
    {"ScansFolder", "Scanned Images"},
    {"FaxesFolder", "Faxes"},
    {"PublishingFolder", "Publishing"},
    {"URLsFolder", "Internet pages"},
    {"WorkFilesFolder", "Work files"},
    {"MailMergeFolder", "Mail-Merged"},
    {"OverlaysFolder", "Overlays"},
    {"VideoVoiceFolder", "Video and Voice"},
    {"NewContactsFolder", nullptr},
    {"EMailsFolder", "E-Mails"},
    {"TablesFolder", "Tables"},
    {"JobsFolder", "Service calls"},
};

const QString ModeName = QStringLiteral("Demo");
const QString ProgramFolder = QStringLiteral("Program");
const QString NewContactsName = QStringLiteral("New Contacts");

// REGEDIT4 text for the hive's import, which writes it in one transaction.
class RegText
{
public:
    void section(const QString& path)
    {
        m_text += QStringLiteral("\n[HKEY_CURRENT_USER\\") + Global::SettingsRoot;
        if (!path.isEmpty())
            m_text += QLatin1Char('\\') + path;
        m_text += QStringLiteral("]\n");
    }
    void value(const QString& name, const QString& data)
    {
        m_text += Platform::RegistryHive::quotedText(name) + QLatin1Char('=') +
                  Platform::RegistryHive::quotedText(data) + QLatin1Char('\n');
    }
    QString text() const { return QStringLiteral("REGEDIT4\n") + m_text; }

private:
    QString m_text;
};

class Writer
{
public:
    explicit Writer(DemoSummary& summary) : m_summary(summary) {}

    void folder(const QString& path)
    {
        if (!QDir().mkdir(path))
            throw DemoError(QStringLiteral("The folder \"%1\" cannot be made.").arg(path));
        ++m_summary.folders;
    }
    // A new file, written plainly: the workspace is new, so there is no old
    // file for a failed write to spoil. `modified` (when valid) becomes its
    // time, as a file that came in then would have.
    void file(const QString& path, const QByteArray& bytes, const QDateTime& modified = {})
    {
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly) ||
            out.write(bytes) != bytes.size() || !out.flush() ||
            (modified.isValid() && !out.setFileTime(modified, QFileDevice::FileModificationTime)))
            throw DemoError(QStringLiteral("The file \"%1\" cannot be written: %2")
                                .arg(path, out.errorString()));
        ++m_summary.files;
    }

    // A file that another writer made.
    void counted() { ++m_summary.files; }

private:
    DemoSummary& m_summary;
};

std::vector<DemoUser> makeUsers(Random random)
{
    std::vector<DemoUser> users;
    QStringList logins;
    for (int i = 0; i < 5; ++i) {
        const bool male = random.chance(50);
        const QString first =
            QString::fromUtf8(random.pick(male ? Words::MaleFirstNames : Words::FemaleFirstNames));
        const QString last = QString::fromUtf8(random.pick(Words::Surnames));
        DemoUser user;
        user.name = first + QLatin1Char(' ') + last;
        user.initials = QString(first[0]) + last[0];
        QString login = (QString(first[0]) + last).toLower();
        login.removeIf([](QChar c) { return !c.isLetter() || c.unicode() > 127; });
        if (logins.contains(login))
            login += QString::number(i + 1);
        logins << login;
        user.login = login;
        user.administrator = i == 0;
        users.push_back(user);
    }
    return users;
}

// The name of an e-mail's file: the prefix of incoming e-mails and the
// moment it arrived, so that a folder lists its e-mails oldest first.
QString mailFileName(const QDateTime& received)
{
    return QStringLiteral("EMI_") + received.toString(QStringLiteral("yyyyMMdd_HHmmss")) +
           QStringLiteral(".emi");
}

class WorkspaceMaker
{
public:
    WorkspaceMaker(const QString& root, const DemoOptions& options)
        : m_root(root), m_options(options), m_write(m_summary)
    {
        m_summary.folder = root;
        m_summary.registry = path(QStringLiteral("registry.sqlite3"));
    }

    DemoSummary make()
    {
        Random random(m_options.seed);
        Random peopleRandom = random.fork(1);
        Random mailRandom = random.fork(2);
        const std::vector<DemoUser> users = makeUsers(random.fork(3));

        for (const FolderSetting& setting : FolderSettings) {
            if (setting.folder)
                m_write.folder(path(QString::fromLatin1(setting.folder)));
        }
        m_write.folder(path(ProgramFolder));
        makeFilingTree(peopleRandom.next(), mailRandom);
        m_write.file(path(QStringLiteral("RADs/UKPAF.BIN")),
                     postcodeFileBytes(m_postcodeAddresses, random.fork(4)));
        makeShared(users);
        makeTemplates();
        makeSettings(users.front());
        return m_summary;
    }

private:
    QString path(const QString& relative) const { return m_root + QLatin1Char('/') + relative; }

    void makeFilingTree(quint64 peopleSeed, Random& mailRandom)
    {
        const QString filing = path(QStringLiteral("Filing"));
        PeopleMaker maker(peopleSeed, std::max(0, m_options.contacts));
        QString rootSummary;
        auto addToRootSummary = [&](const QString& ref, int kind) {
            // A text of a record holds at most 65,535 bytes: beyond that the
            // browser reads each folder's own information file instead.
            const QString entry = folderSummaryEntry(ref, kind);
            if (rootSummary.size() + entry.size() <= MaxRecordText)
                rootSummary += entry;
        };

        while (!maker.atEnd()) {
            const TopFolder top = maker.next();
            const QString topPath = filing + QLatin1Char('/') + top.folderName;
            if (top.isCompany()) {
                m_write.folder(topPath);
                ++m_summary.companies;
                FolderInfo info{Company, top.ref, !top.people.empty(), QString(),
                                int(top.people.size())};
                for (const PersonFolder& person : top.people)
                    info.folderSummary += folderSummaryEntry(person.ref, person.party.kind);
                m_write.file(topPath + QStringLiteral("/FileInfo.inf"), fileInfoBytes(info));
                m_write.file(topPath + QStringLiteral("/Profile.pro"), profileBytes(top.party));
                for (const PersonFolder& person : top.people)
                    makePerson(topPath + QLatin1Char('/') + person.folderName, person, mailRandom);
            } else {
                makePerson(topPath, top.people.front(), mailRandom);
            }
            addToRootSummary(top.ref, top.party.kind);
            m_postcodeAddresses.push_back(postcodeAddress(
                top.party.address, top.isCompany() ? top.party.companyName : QString()));
        }

        // The branch in which the finder makes new contacts: a folder of the
        // tree with a reference of its own, so that theirs extend it.
        const QString newRef = QString::number(maker.topFolders() + 1);
        const QString newContacts = filing + QLatin1Char('/') + filingName(NewContactsName, newRef);
        m_newContacts = newContacts;
        m_write.folder(newContacts);
        m_write.file(newContacts + QStringLiteral("/FileInfo.inf"),
                     fileInfoBytes({NotIndexed, newRef, false, QString(), 0}));
        addToRootSummary(newRef, NotIndexed);

        m_write.file(
            filing + QStringLiteral("/FileInfo.inf"),
            fileInfoBytes({NotIndexed, QString(), true, rootSummary, maker.topFolders() + 1}));
    }

    void makePerson(const QString& folder, const PersonFolder& person, Random& mailRandom)
    {
        m_write.folder(folder);
        ++m_summary.people;
        m_write.file(folder + QStringLiteral("/FileInfo.inf"),
                     fileInfoBytes({person.party.kind, person.ref, false, QString(), 0}));
        m_write.file(folder + QStringLiteral("/Profile.pro"), profileBytes(person.party));

        const int every = std::max(1, m_options.jobEvery);
        if (m_options.emailsPerJob <= 0 || person.ordinal % every != 0)
            return;
        const int job = m_summary.jobFolders++;
        if (job == 0)
            m_summary.showcaseJob = folder;
        // Each job folder is a few weeks of one person's e-mails; the first,
        // which the main window opens, holds every kind in order but the form
        // that no definition names (its note would greet a new user before
        // the window does); the others start the cycle elsewhere.
        Random random = mailRandom.fork(quint64(job) + 1);
        QDateTime received(QDate(2024, 1, 2).addDays(random.below(300)), QTime(8, 30), Qt::UTC);
        for (int i = 0; i < m_options.emailsPerJob; ++i) {
            received = received.addSecs(random.between(1, 72) * 3600 + random.below(3600));
            const auto kind = MailKind((i + job) % MailKinds);
            if (job == 0 && kind == MailKind::UnknownForm)
                continue;
            const DemoMail mail = makeMail(kind, person.party, random);
            m_write.file(folder + QLatin1Char('/') + mailFileName(received), eventBytes(mail),
                         received);
            ++m_summary.emails;
        }
    }

    void makeShared(const std::vector<DemoUser>& users)
    {
        writeShare(path(QStringLiteral("Shared/Shared.bin")), users);
        m_write.counted();
        // One database for the installation, beside the share file.
        m_write.file(path(QStringLiteral("Shared/International.bin")),
                     DataFiles::headerBytes(DataFiles::InternationalFileKind) +
                         DataFiles::recordBytes(internationalDatabase()));
        for (const DemoUser& user : users)
            m_write.folder(path(QStringLiteral("Users/") + user.login));
        m_summary.user = users.front().login;
    }

    void makeTemplates()
    {
        for (const FormDefinition& form : formDefinitions()) {
            m_write.file(path(QStringLiteral("Templates/") + form.templateFile), replyPage(form));
            ++m_summary.templates;
        }
    }

    void makeSettings(const DemoUser& user)
    {
        RegText reg;
        reg.section(QStringLiteral("Config"));
        reg.value(QStringLiteral("RunFrom"), path(ProgramFolder));
        reg.value(QStringLiteral("UserFolder"), user.login);
        reg.value(QStringLiteral("LocalCountry"), QLatin1String(HomeCountry));
        reg.value(QStringLiteral("SimpleSearch"), QStringLiteral("1"));
        reg.value(QStringLiteral("AdvancedSearch"), QStringLiteral("1,2"));
        reg.value(QStringLiteral("HighlightColour"), QStringLiteral("9"));
        reg.value(QStringLiteral("HoverColour"), QStringLiteral("12"));

        // The country box offers the home country first, then the world.
        reg.section(QStringLiteral("Config\\Countries"));
        std::vector<const CountryFacts*> countries;
        for (const CountryFacts& country : WorldCountries)
            countries.push_back(&country);
        std::stable_partition(countries.begin(), countries.end(), [](const CountryFacts* c) {
            return qstrcmp(c->name, HomeCountry) == 0;
        });
        for (const CountryFacts* country : countries)
            reg.value(QString::fromUtf8(country->name), QString::fromLatin1(country->diallingCode));

        reg.section(QStringLiteral("Config\\Modes"));
        reg.value(QStringLiteral("LastMode"), ModeName);
        reg.section(QStringLiteral("Config\\Modes\\") + ModeName);
        reg.value(QStringLiteral("Local"), QStringLiteral("-1"));
        for (const FolderSetting& setting : FolderSettings) {
            reg.value(QString::fromLatin1(setting.setting),
                      setting.folder ? path(QString::fromLatin1(setting.folder)) : m_newContacts);
        }

        for (const FormDefinition& form : formDefinitions()) {
            reg.section(QStringLiteral("EMail\\FormSubmissions\\") + form.branch);
            reg.value(QStringLiteral("Name"), form.name);
            reg.value(QStringLiteral("Fields"), form.fields.join(QLatin1Char(',')));
            if (!form.delimiter.isEmpty())
                reg.value(QStringLiteral("Delimiter"), form.delimiter);
        }

        reg.section(QStringLiteral("Preferences"));
        reg.value(QStringLiteral("ToolTips"), QStringLiteral("-1"));
        reg.value(QStringLiteral("LargeButtons"), QStringLiteral("-1"));

        // The main window opens on the first form's reply page and the job
        // folder that holds every kind of e-mail.
        reg.section(QStringLiteral("Tagmill"));
        reg.value(QStringLiteral("LastDocument"),
                  path(QStringLiteral("Templates/") + formDefinitions()[0].templateFile));
        if (!m_summary.showcaseJob.isEmpty())
            reg.value(QStringLiteral("LastFolder"), m_summary.showcaseJob);

        try {
            Platform::RegistryHive::open(m_summary.registry)->importText(reg.text());
        } catch (const Platform::HiveError& error) {
            throw DemoError(error.message());
        }
    }

    QString m_root;
    DemoOptions m_options;
    DemoSummary m_summary;
    Writer m_write;
    QString m_newContacts;
    std::vector<Routines_RADs::PostcodeAddress> m_postcodeAddresses;
};

} // namespace

DemoSummary createWorkspace(const QString& folder, const DemoOptions& options)
{
    if (folder.isEmpty())
        throw DemoError(QStringLiteral("No folder was given for the workspace."));
    const QString root = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    const QFileInfo info(root);
    if (info.exists() && !info.isDir())
        throw DemoError(QStringLiteral("\"%1\" is a file, not a folder.").arg(root));
    if (info.exists() &&
        !QDir(root).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        throw DemoError(QStringLiteral("The folder \"%1\" is not empty: a demo workspace is only "
                                       "made in a new or empty folder, so that nothing is "
                                       "overwritten.")
                            .arg(root));
    if (!QDir().mkpath(root))
        throw DemoError(QStringLiteral("The folder \"%1\" cannot be made.").arg(root));
    return WorkspaceMaker(root, options).make();
}

} // namespace Demo
