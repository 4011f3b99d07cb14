// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "NewFolders.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

namespace Finding {

// The finder's new-contact panel without widgets: what it shows (filled
// afresh by PrepareNewContact at every opening), the typing rules, the
// postcode look-up, Create and Cancel. The window builds its controls from
// this state, tells it what the user types and clicks, and mirrors the
// signals; tests drive it alone.
//
// The share file's label sets that name the prompts (items separated by the
// character 0): item 6 the contact's fields, item 4 the company's, items 1
// and 2 the first and second address label sets.
class NewContactPanel : public QObject
{
    Q_OBJECT

public:
    // The panel's text fields.
    enum Field : int
    {
        ContactName = 0,
        CompanyName = 1,
        Address0 = 2, // address lines 0 to 5 are Address0 + line
        Postcode = Address0 + 5,
        Number0 = 8,
        Number1 = 9,
        FieldCount = 10,
        Elsewhere = FieldCount, // a control that is no text field
    };
    // The postal address file of the look-up.
    static inline const QString PostcodeFileName = QStringLiteral("UKPAF.BIN");
    // The pointer of the fields that offer the search clue ("CUR_28").
    static constexpr int CluePointer = 28;
    // Type buttons per number; button k shows the image "NO_" and k % 4 + 1.
    static constexpr int NumberTypes = 4;

    // Chooses one of several addresses found for a postcode: its row, or -1
    // for Cancel. The window shows its list; without one the look-up stops.
    using AddressChooser = std::function<int(const QStringList& addresses)>;

    explicit NewContactPanel(QObject* parent = nullptr);

    void setAddressChooser(AddressChooser chooser) { m_chooser = std::move(chooser); }

    // Resets and fills the panel; `clue` is the search clue it offers.
    void PrepareNewContact(const QString& clue);
    // PrepareNewContact, then the panel shows with the focus in the name.
    void open(const QString& clue);

    // What the panel shows.
    bool shown() const { return m_shown; }
    QString caption() const { return m_caption; }
    QString createCaption() const { return m_createCaption; }
    QString cancelCaption() const { return m_cancelCaption; }
    const QList<FileOperations::TitleItem>& titles() const { return m_titles; }
    int titleRow() const { return m_titleRow; }
    const QStringList& countries() const { return m_countries; }
    QString country() const { return m_country; }
    QString contactPrompt() const { return m_contactPrompt; }
    QString companyPrompt() const { return m_companyPrompt; }
    const std::array<QString, 6>& addressPrompts() const { return m_addressPrompts; }
    const std::array<QString, 2>& numberPrompts() const { return m_numberPrompts; }
    QString text(Field field) const { return m_texts[size_t(field)]; }
    // The pressed type button of number 0 (0 to 3) and of number 1 (4 to 7).
    int pressedType(int number) const { return m_types[size_t(number)] + number * NumberTypes; }
    static QString typeImage(int button)
    {
        return QStringLiteral("NO_%1").arg(button % NumberTypes + 1);
    }
    bool createEnabled() const { return m_createEnabled; }
    // The search clue is on offer: the four fields that take it show the
    // clue pointer until one of them is clicked.
    bool clueOffered() const { return m_clueOffered; }
    static bool takesClue(Field field)
    {
        return field == ContactName || field == CompanyName || field == Postcode ||
               field == Number0;
    }
    QString lastLookedUpPostcode() const { return m_lastLookedUp; }
    // What saving will make of the names that the suite's files cannot hold
    // as typed, a line each (empty when they stay as typed).
    QString notice() const { return m_notice; }
    bool busy() const { return m_busy; }
    // What Create would hand to the folder making.
    FileOperations::NewContactFields fields() const;

    // What the user does.
    void setText(Field field, const QString& text);
    void setTitleRow(int row);
    void setCountry(const QString& country);
    void pressType(int button);
    void fieldFocused(Field field) { m_focus = field; }
    void fieldClicked(Field field);
    void enterPressed(Field field);
    // The postcode button. False when no address was taken.
    bool lookUpPostcode();
    void create();
    void cancel();
    // The window's close request while the panel shows beeps and is refused.
    bool refuseClose() const;

signals:
    // The panel shows: the toolbar and the search area are disabled.
    void shownChanged(bool shown);
    // PrepareNewContact has filled the panel: the window shows it all anew.
    void prepared();
    void textChanged(Field field, const QString& text);
    void titleRowChanged(int row);
    void countryChanged(const QString& country);
    void typePressed(int button);
    void createEnabledChanged(bool enabled);
    void noticeChanged(const QString& notice);
    void clueOfferChanged(bool offered);
    // The focus goes to `field`, its text selected when `selectAll`.
    void focusRequested(Field field, bool selectAll);
    // The focus moves on as the Tab key moves it.
    void tabRequested();
    // No address has the postcode: the balloon `textNumber` points at the
    // postcode line, shown even when shown before.
    void noAddressFound(int textNumber);
    // Create runs: the window is disabled meanwhile, the progress shown.
    void busyChanged(bool busy);
    void progressShown(bool shown);
    void progressChanged(int percent);
    // Create has made what it could: the finder hides, the panel closes, and
    // a pick that is not empty goes back to the caller (an empty one would
    // make the main window take the whole filing folder as its job folder).
    void createdPick(const QString& pickText);
    // What Create made, for the finder's status.
    void statusReported(const QString& text);
    // The panel has closed (after Create or Cancel): the focus to the clue.
    void closed();

private:
    void reset();
    void setShown(bool shown);
    void setCreateEnabled(bool enabled);
    void setNotice(const QString& notice);
    void setClueOffered(bool offered);
    void requestFocus(Field field, bool selectAll = false);

    AddressChooser m_chooser;
    bool m_shown = false;
    bool m_busy = false;
    QString m_caption, m_createCaption, m_cancelCaption;
    QList<FileOperations::TitleItem> m_titles;
    int m_titleRow = -1;
    QStringList m_countries;
    QString m_country;
    QString m_contactPrompt, m_companyPrompt;
    std::array<QString, 6> m_addressPrompts;
    std::array<QString, 2> m_numberPrompts;
    std::array<QString, FieldCount> m_texts;
    std::array<int, 2> m_types{};
    bool m_createEnabled = false;
    QString m_notice;
    bool m_clueOffered = false;
    QString m_clue;
    QString m_lastLookedUp;
    Field m_focus = Elsewhere;
};

} // namespace Finding
