// SPDX-License-Identifier: GPL-3.0-or-later
#include "PagePreview.h"

#include "linking/SourceText.h"
#include "linking/TagLinks.h"
#include "shared/Messages.h"

#include <QDateTime>
#include <QLocale>

namespace Linking {
namespace {

// The background of a tag left in the page, as the source view marks it.
QLatin1String stateColour(TagState state)
{
    return state == TagState::MissingField ? QLatin1String("#f8c8c8") : QLatin1String("#ffe8a8");
}

} // namespace

PagePreview::PagePreview(QByteArray document, QString displayName, QString folder,
                         QList<FormMail> mails, QList<FormSubmissionDef> defs, QObject* parent)
    : QObject(parent), m_document(std::move(document)), m_displayName(std::move(displayName)),
      m_folder(std::move(folder)), m_mails(std::move(mails)), m_defs(std::move(defs))
{}

QStringList PagePreview::mailTexts() const
{
    QStringList texts;
    const QLocale locale;
    for (const FormMail& mail : m_mails) {
        const QString time =
            locale.toString(QDateTime::fromMSecsSinceEpoch(mail.modified), QLocale::ShortFormat);
        texts.append(Global::ResolveRes(9334, {time, mail.subject, mail.file}));
    }
    return texts;
}

bool PagePreview::choose(int index)
{
    if (index < 0 || index >= m_mails.size())
        return false;
    const std::optional<QList<FieldLine>> values =
        readFormFields(m_folder + QLatin1Char('/') + m_mails[index].file, m_defs);
    if (!values)
        return false;
    const QList<StoredLink> links = storedLinks(m_displayName);
    m_current = index;
    m_filled = fillDocument(m_document, links, *values);
    m_sourceText = decodeDocument(m_filled.bytes);

    // What is left of the tags: the e-mail's fields decide which links are
    // missing a value.
    QSet<QString> carried;
    for (const FieldLine& line : *values)
        carried.insert(line.name);
    m_marks.setText(m_sourceText);
    m_marks.update(links, carried);

    m_pageHtml.clear();
    m_pageHtml.reserve(m_sourceText.size() + m_marks.marks().size() * 64);
    qsizetype copied = 0;
    for (const TagMark& mark : m_marks.marks()) {
        m_pageHtml += QStringView(m_sourceText).sliced(copied, mark.at.start - copied);
        m_pageHtml += QLatin1String("<span style=\"background-color:") + stateColour(mark.state) +
                      QLatin1String("\">") +
                      escapeHtml(QStringView(m_sourceText).sliced(mark.at.start, mark.at.length)) +
                      QLatin1String("</span>");
        copied = mark.at.start + mark.at.length;
    }
    m_pageHtml += QStringView(m_sourceText).sliced(copied);
    emit filledChanged();
    return true;
}

} // namespace Linking
