// SPDX-License-Identifier: GPL-3.0-or-later
#include "NewContactPanel.h"

#include "datafiles/CountryLists.h"
#include "datafiles/PostcodeFile.h"
#include "datafiles/ShareFile.h"
#include "platform/UiHost.h"
#include "shared/Messages.h"
#include "shared/Settings.h"
#include "shared/Tweaks.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace Finding {
namespace {

enum Str : int
{
    CancelText = 401,
    ContactLabels = 709,
    CompanyLabels = 710,
    AddressLabels = 711,
    SecondAddressLabels = 712,
    TitleText = 923,
    CreateText = 924,
    NumberPrompt = 925,
    CreatedText = 977,
    ReplaceCompany = 5968,
    NoAddressBalloon = 32026,
};

// The share file's label sets.
enum ShareItem : qint16
{
    FirstAddressSet = 1,
    SecondAddressSet = 2,
    CompanySet = 4,
    ContactSet = 6,
};

// A label set of the share file, else of string `fallback`.
QStringList labelSet(qint16 item, int fallback)
{
    QString set;
    if (!Routines_ShareFile::ReadShare(item, set) || set.isEmpty())
        set = Global::ResolveRes(fallback);
    return set.split(QChar(0));
}

// The country names as the list command gives them.
class CountryNames : public FileOperations::ListTarget
{
public:
    void addItem(const QString& text, qint64) override { names << text; }
    void clear() override { names.clear(); }
    void setTabStop(int) override {}
    QStringList names;
};

QString localCountry()
{
    return Global::GetRegistryData(QStringLiteral("Config"), QStringLiteral("LocalCountry"),
                                   {.defaultValue = QStringLiteral("United Kingdom")})
        .toString();
}

int defaultNumberType()
{
    return std::clamp(int(Global::GetTweak(Global::Tweak::DefaultNumberType).number()), 0,
                      NewContactPanel::NumberTypes - 1);
}

} // namespace

NewContactPanel::NewContactPanel(QObject* parent) : QObject(parent) {}

void NewContactPanel::PrepareNewContact(const QString& clue)
{
    Global::guarded("frm_Find:PrepareNewContact", [&] {
        m_titles = FileOperations::titleItems();

        CountryNames countries;
        QString command = QStringLiteral("FILLCOUNTRIES");
        QString unused;
        FileOperations::PlaceFromAreaCode(countries, command, unused);
        m_countries = countries.names;

        m_types.fill(defaultNumberType());

        const QString ending = Global::GetTweak(Global::Tweak::PromptEnding).text();
        m_contactPrompt = labelSet(ContactSet, ContactLabels).value(0) + ending;
        m_companyPrompt = labelSet(CompanySet, CompanyLabels).value(0) + ending;
        const QStringList first = labelSet(FirstAddressSet, AddressLabels);
        const QStringList second = labelSet(SecondAddressSet, SecondAddressLabels);
        for (int line = 0; line < 6; ++line) {
            QString prompt = first.value(line);
            if (second.value(line) != prompt)
                prompt += QLatin1Char('\\') + second.value(line);
            m_addressPrompts[size_t(line)] = prompt + ending;
        }
        for (int number = 0; number < 2; ++number)
            m_numberPrompts[size_t(number)] =
                Global::ResolveRes(NumberPrompt, {number + 1}) + ending;

        m_caption = Global::ResolveRes(TitleText);
        m_createCaption = Global::ResolveRes(CreateText);
        m_cancelCaption = Global::ResolveRes(CancelText);
    });
    reset();
    m_clue = clue;
    m_clueOffered = !clue.isEmpty();
    emit prepared();
    emit clueOfferChanged(m_clueOffered);
}

void NewContactPanel::reset()
{
    m_titleRow = m_titles.isEmpty()
                     ? -1
                     : std::min<int>(Global::GetTweak(Global::Tweak::GenderPref).isOn() ? 0 : 1,
                                     int(m_titles.size()) - 1);
    m_texts.fill(QString());
    m_notice.clear();
    m_country = localCountry();
    m_createEnabled = false;
    // A postcode typed into a fresh panel is looked up even when it is the
    // one of the last opening.
    m_lastLookedUp.clear();
    m_busy = false;
    m_focus = ContactName;
}

void NewContactPanel::open(const QString& clue)
{
    if (m_busy)
        return;
    PrepareNewContact(clue);
    setShown(true);
    requestFocus(ContactName);
}

FileOperations::NewContactFields NewContactPanel::fields() const
{
    FileOperations::NewContactFields f;
    f.contactName = text(ContactName);
    f.companyName = text(CompanyName);
    if (m_titleRow >= 0 && m_titleRow < m_titles.size()) {
        f.title = m_titles[m_titleRow].text;
        f.titleMale = m_titles[m_titleRow].male;
    }
    for (int line = 0; line < 6; ++line)
        f.address[size_t(line)] = text(Field(Address0 + line));
    f.country = m_country;
    for (int number = 0; number < 2; ++number)
        f.numbers.append({text(Field(Number0 + number)), m_types[size_t(number)] + 1});
    return f;
}

void NewContactPanel::setText(Field field, const QString& text)
{
    if (field < 0 || field >= FieldCount || m_texts[size_t(field)] == text)
        return;
    m_texts[size_t(field)] = text;
    emit textChanged(field, text);
    if (field == ContactName || field == CompanyName) {
        setCreateEnabled(!m_texts[ContactName].isEmpty() || !m_texts[CompanyName].isEmpty());
        setNotice(FileOperations::nameNotices(fields()).join(QLatin1Char('\n')));
    }
}

void NewContactPanel::setNotice(const QString& notice)
{
    if (notice == m_notice)
        return;
    m_notice = notice;
    emit noticeChanged(notice);
}

void NewContactPanel::setTitleRow(int row)
{
    if (row == m_titleRow || row < -1 || row >= m_titles.size())
        return;
    m_titleRow = row;
    emit titleRowChanged(row);
}

void NewContactPanel::setCountry(const QString& country)
{
    if (country == m_country)
        return;
    m_country = country;
    emit countryChanged(country);
}

void NewContactPanel::pressType(int button)
{
    if (button < 0 || button >= 2 * NumberTypes)
        return;
    m_types[size_t(button / NumberTypes)] = button % NumberTypes;
    emit typePressed(button);
}

void NewContactPanel::fieldClicked(Field field)
{
    m_focus = field;
    if (!m_clueOffered || !takesClue(field))
        return;
    setText(field, m_clue);
    setClueOffered(false);
}

void NewContactPanel::enterPressed(Field field)
{
    m_focus = field;
    if (field == Postcode) {
        const QString postcode = text(Postcode);
        if (!postcode.isEmpty() && postcode != m_lastLookedUp) {
            lookUpPostcode();
            m_lastLookedUp = text(Postcode);
            if (m_focus != Postcode)
                return;
        }
    }
    if (field < Number0 && Global::GetTweak(Global::Tweak::EnterDoesTab).isOn())
        emit tabRequested();
}

bool NewContactPanel::lookUpPostcode()
{
    const Routines_RADs::PostcodeMatches found =
        Routines_RADs::LookupPostcode(PostcodeFileName, text(Postcode));
    // A file that could not be read says nothing of the postcode: the user
    // is told what is wrong with the file instead of the balloon.
    if (!found.readWhole) {
        if (!found.problem.isEmpty())
            Global::showText(found.problem, Platform::MsgButtons::Ok,
                             Platform::MsgIcon::Exclamation,
                             Global::ResolveRes(Global::Str::TitleWarning));
        return false;
    }
    if (found.matches() == 0) {
        emit noAddressFound(NoAddressBalloon);
        return false;
    }
    qsizetype row = 0;
    if (found.matches() > 1) {
        row = m_chooser ? m_chooser(found.addresses) : -1;
        if (row < 0 || row >= found.matches())
            return false;
    }
    const QStringList items = found.addresses[row].split(QLatin1Char('|'));
    for (int line = 0; line < 6; ++line)
        setText(Field(Address0 + line), items.value(line));

    const QString company = items.value(6);
    const QString current = text(CompanyName);
    if (!company.isEmpty() && company != current) {
        const bool replace =
            current.isEmpty() || !Global::GetTweak(Global::Tweak::AlwaysConfirm).isOn() ||
            Global::showMessage(ReplaceCompany, {company, current}, Platform::MsgButtons::YesNo,
                                Platform::MsgIcon::Question,
                                Global::Str::TitleConfirm) == Platform::MsgAnswer::Yes;
        if (replace)
            setText(CompanyName, company);
    }
    requestFocus(Address0, true);
    return true;
}

void NewContactPanel::create()
{
    if (!m_shown || m_busy || !m_createEnabled)
        return;
    m_busy = true;
    emit busyChanged(true);
    const Indexing::BuildProgress progress{[this](int percent) {
                                               emit progressShown(true);
                                               emit progressChanged(percent);
                                           },
                                           {},
                                           {}};
    FileOperations::CreatedFolders made;
    try {
        made = FileOperations::CreateQuickAndDirtyCompany(fields(), progress);
    } catch (...) {
        Global::reportCurrentFault("frm_Find:but_CreateNew_Click");
    }
    m_busy = false;
    emit busyChanged(false);
    emit progressShown(false);
    const QString folder = made.contactFolder.isEmpty() ? made.companyFolder : made.contactFolder;
    if (!folder.isEmpty())
        emit statusReported(
            Global::ResolveRes(CreatedText, {QFileInfo(QDir::cleanPath(folder)).fileName()}));
    // Empty when nothing was made.
    emit createdPick(made.contactRef.isEmpty() ? made.companyRef : made.contactRef);
}

void NewContactPanel::cancel()
{
    if (!m_shown || m_busy)
        return;
    setShown(false);
    emit closed();
}

bool NewContactPanel::refuseClose() const
{
    if (m_shown)
        Platform::uiHost().beep();
    return m_shown;
}

void NewContactPanel::setShown(bool shown)
{
    if (shown == m_shown)
        return;
    m_shown = shown;
    emit shownChanged(shown);
}

void NewContactPanel::setCreateEnabled(bool enabled)
{
    if (enabled == m_createEnabled)
        return;
    m_createEnabled = enabled;
    emit createEnabledChanged(enabled);
}

void NewContactPanel::setClueOffered(bool offered)
{
    if (offered == m_clueOffered)
        return;
    m_clueOffered = offered;
    emit clueOfferChanged(offered);
}

void NewContactPanel::requestFocus(Field field, bool selectAll)
{
    m_focus = field;
    emit focusRequested(field, selectAll);
}

} // namespace Finding
