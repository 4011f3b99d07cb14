// SPDX-License-Identifier: GPL-3.0-or-later
#include "Forms.h"

#include "Words.h"
#include "platform/Cp1252.h"
#include "shared/Messages.h"

namespace Demo {
namespace {

const FormDefinition Definitions[] = {
    {QStringLiteral("Form1"),
     QStringLiteral("Website Enquiry"),
     QString(),
     {QStringLiteral("Name"), QStringLiteral("Company"), QStringLiteral("Email"),
      QStringLiteral("Telephone"), QStringLiteral("Postcode"), QStringLiteral("Message")},
     QStringLiteral("Website Enquiry.htm")},
    {QStringLiteral("Form2"),
     QStringLiteral("Brochure Request"),
     QStringLiteral(":"),
     {QStringLiteral("Title"), QStringLiteral("FirstName"), QStringLiteral("Surname"),
      QStringLiteral("Address1"), QStringLiteral("Town"), QStringLiteral("Postcode"),
      QStringLiteral("Brochure"), QStringLiteral("HowDidYouHear")},
     QStringLiteral("Brochure Request.htm")},
    {QStringLiteral("Form3"),
     QStringLiteral("Quote Request"),
     QStringLiteral("="),
     {QStringLiteral("name"), QStringLiteral("email"), QStringLiteral("phone"),
      QStringLiteral("product"), QStringLiteral("quantity"), QStringLiteral("delivery_date"),
      QStringLiteral("notes")},
     QStringLiteral("Quote Request.htm")},
};

QString word(Random& random, Words::List list)
{
    return QString::fromUtf8(random.pick(list));
}

// The body lines of a submission of `form`: one "name, delimiter, value" line
// a field, as the site's form mailer writes them.
QStringList submissionLines(const FormDefinition& form, const QStringList& values)
{
    QString joiner = form.effectiveDelimiter();
    if (!joiner.endsWith(QLatin1Char(' ')))
        joiner += QLatin1Char(' ');
    if (form.delimiter == QStringLiteral("="))
        joiner = form.delimiter; // this mailer writes name=value
    QStringList lines;
    for (qsizetype i = 0; i < form.fields.size() && i < values.size(); ++i)
        lines << form.fields[i] + joiner + values[i];
    return lines;
}

QStringList enquiryValues(const Party& p, Random& r)
{
    return {p.fullName,    p.companyName,      p.email(),
            p.telephone(), p.address.postcode, word(r, Words::EnquiryTexts)};
}

QStringList brochureValues(const Party& p, Random& r)
{
    return {p.title,
            p.firstName,
            p.surname,
            p.address.building.isEmpty() ? p.address.road : p.address.building,
            p.address.town,
            p.address.postcode,
            word(r, Words::Brochures),
            word(r, Words::Referrers)};
}

QStringList quoteValues(const Party& p, Random& r)
{
    const QDate due = QDate(2024, 3, 1).addDays(r.below(200));
    // Now and then the notes hold the delimiter themselves: only the first
    // one splits the line.
    const QString notes =
        r.chance(30)
            ? QStringLiteral("Deliver to the side door, gate code=%1").arg(r.between(1000, 9999))
            : word(r, Words::EnquiryTexts);
    return {p.fullName,
            p.email(),
            p.telephone(),
            word(r, Words::Products),
            QString::number(r.between(1, 12)),
            due.toString(QStringLiteral("dd/MM/yyyy")),
            notes};
}

QString escapeRtf(const QString& text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('{') || c == QLatin1Char('}'))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

} // namespace

std::span<const FormDefinition> formDefinitions()
{
    return Definitions;
}

QString suiteRtf(const QStringList& lines)
{
    static const QString head =
        Global::ResolveRes(569, {Global::ResolveRes(505), Global::ResolveRes(516)});
    static const QString tail = Global::ResolveRes(570);
    QString out = head;
    for (const QString& line : lines)
        out += escapeRtf(line) + QStringLiteral("\\par\r\n");
    return out + tail;
}

QString richTextControlRtf(const QStringList& lines)
{
    QString out = QStringLiteral("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang2057"
                                 "{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}\r\n"
                                 "\\viewkind4\\uc1\\pard\\f0\\fs20 ");
    for (const QString& line : lines) {
        for (QChar c : line) {
            if (c == QLatin1Char('\\') || c == QLatin1Char('{') || c == QLatin1Char('}')) {
                out += QLatin1Char('\\');
                out += c;
            } else if (c.unicode() < 128) {
                out += c;
            } else if (Platform::Cp1252::canEncode(c)) {
                out += QStringLiteral("\\'%1").arg(quint8(Platform::Cp1252::toByte(c)), 2, 16,
                                                   QLatin1Char('0'));
            } else {
                // \uN takes a signed 16-bit number; \uc1 says one fallback
                // character follows.
                out += QStringLiteral("\\u%1?").arg(qint16(c.unicode()));
            }
        }
        out += QStringLiteral("\\par\r\n");
    }
    return out + QStringLiteral("}\r\n");
}

DemoMail makeMail(MailKind kind, const Party& sender, Random& random)
{
    const auto forms = formDefinitions();
    DemoMail mail;
    mail.entryFlags = true;
    switch (kind) {
    case MailKind::Enquiry:
        mail.subject = forms[0].name;
        mail.body = suiteRtf(submissionLines(forms[0], enquiryValues(sender, random)) +
                             QStringList{QStringLiteral("(sent from the contact page)")});
        break;
    case MailKind::Brochure:
        mail.subject = forms[1].name;
        mail.body = suiteRtf(submissionLines(forms[1], brochureValues(sender, random)));
        break;
    case MailKind::Quote:
        mail.subject = forms[2].name;
        mail.body = suiteRtf(submissionLines(forms[2], quoteValues(sender, random)));
        break;
    case MailKind::RichTextBrochure: {
        mail.subject = forms[1].name;
        QStringList lines = submissionLines(forms[1], brochureValues(sender, random));
        lines << QStringLiteral("Comments: Café owner, £25 budget — opening a Gdańsk branch");
        mail.body = richTextControlRtf(lines);
        break;
    }
    case MailKind::UnknownForm:
        mail.subject = UnknownFormName;
        mail.body = suiteRtf(
            {QStringLiteral("Email = ") + sender.email(), QStringLiteral("Frequency = Monthly")});
        break;
    case MailKind::Ordinary:
        mail.subject = word(random, Words::OrdinarySubjects);
        mail.body = suiteRtf({QStringLiteral("Dear Sir or Madam,"), QString(),
                              word(random, Words::OrdinaryTexts), QString(),
                              QStringLiteral("Kind regards,"), sender.fullName});
        mail.entryFlags = false;
        break;
    case MailKind::EnquiryOtherCase:
        mail.subject = forms[0].name.toUpper();
        mail.body =
            suiteRtf(submissionLines(forms[0], enquiryValues(sender, random)) +
                     QStringList{QStringLiteral("Budget = £%1").arg(random.between(2, 40) * 50)});
        break;
    case MailKind::QuoteFlagsOff:
        mail.subject = forms[2].name;
        mail.body = suiteRtf(submissionLines(forms[2], quoteValues(sender, random)));
        mail.entryFlags = false;
        break;
    }
    return mail;
}

QByteArray replyPage(const FormDefinition& form)
{
    const QString crlf = QStringLiteral("\r\n");
    QStringList html{
        QStringLiteral("<!DOCTYPE html>"),
        QStringLiteral("<html lang=\"en-GB\">"),
        QStringLiteral("<head>"),
        QStringLiteral("<meta charset=\"utf-8\">"),
        QStringLiteral("<title>%1 – thank you</title>").arg(form.name),
        QStringLiteral("</head>"),
        QStringLiteral("<body>"),
        QStringLiteral("<!-- Reply page of the %1 form: each tag below takes one field -->")
            .arg(form.name),
        QStringLiteral("<h1>Thank you for your request</h1>"),
        QStringLiteral("<table>"),
    };
    const qsizetype last = form.fields.size() - 1;
    for (qsizetype i = 0; i < last; ++i) {
        html << QStringLiteral("<tr><th>%1</th><td><!-- %1 --></td></tr>").arg(form.fields[i]);
    }
    html << QStringLiteral("</table>") << QStringLiteral("<p>") << QStringLiteral("<!--")
         << QStringLiteral("  %1").arg(form.fields[last])
         << QStringLiteral("  (kept as the customer wrote it, over several lines)")
         << QStringLiteral("-->") << QStringLiteral("</p>")
         << QStringLiteral("<p class=\"small\"><!-- %1 > shown only when given --></p>")
                .arg(form.fields[qMin<qsizetype>(2, last)])
         << QStringLiteral("<p>Our prices start at £25 including VAT.</p>")
         << QStringLiteral("</body>") << QStringLiteral("</html>");
    return (html.join(crlf) + crlf).toUtf8();
}

} // namespace Demo
