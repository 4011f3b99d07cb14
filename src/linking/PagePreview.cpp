// SPDX-License-Identifier: GPL-3.0-or-later
#include "PagePreview.h"

#include "linking/FilledPages.h"
#include "linking/SourceText.h"
#include "linking/TagLinks.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "shared/Messages.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLocale>

namespace Linking {
namespace {

constexpr int SaveDialog = 9341;
constexpr int FilledName = 9342;
constexpr int SaveOverDocument = 9343;
constexpr int SaveFailed = 9344;
constexpr int NoPagesFolder = 9392;
constexpr int ReplacePages = 9394;
constexpr int PagesSummary = 9395;
constexpr int FillingStopped = 9399;

// The background of a tag left in the page, as the source view marks it.
QLatin1String stateColour(TagState state)
{
    return state == TagState::MissingField ? QLatin1String("#f8c8c8") : QLatin1String("#ffe8a8");
}

} // namespace

PagePreview::PagePreview(QString path, QByteArray document, QString displayName, QString folder,
                         QList<FormMail> mails, QList<FormSubmissionDef> defs, QObject* parent)
    : QObject(parent), m_path(std::move(path)), m_document(std::move(document)),
      m_displayName(std::move(displayName)), m_folder(std::move(folder)), m_mails(std::move(mails)),
      m_defs(std::move(defs))
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

std::optional<QList<SavedPage>> PagePreview::fillAll(const QString& out, const PageStep& step)
{
    if (out.isEmpty()) {
        Global::showMessage(NoPagesFolder, {}, Platform::MsgButtons::Ok,
                            Platform::MsgIcon::Exclamation, Global::Str::TitleWarning);
        return std::nullopt;
    }
    const PageSource source{m_path, m_document, m_displayName, m_folder, m_mails, m_defs};
    qsizetype there = 0;
    for (const QString& page : filledPagePaths(source, out))
        there += QFileInfo::exists(page) ? 1 : 0;
    bool replace = false;
    if (there > 0) {
        const Platform::MsgAnswer answer = Global::showMessage(
            ReplacePages, {there, m_mails.size(), out}, Platform::MsgButtons::YesNoCancel,
            Platform::MsgIcon::Question, Global::Str::TitleConfirm);
        if (answer == Platform::MsgAnswer::Cancel)
            return std::nullopt;
        replace = answer == Platform::MsgAnswer::Yes;
    }
    std::optional<QList<SavedPage>> pages = saveFilledPages(source, out, replace, step);
    if (!pages)
        return std::nullopt;

    int counts[3] = {};
    QString notFilled;
    for (const SavedPage& page : *pages) {
        ++counts[page.outcome];
        if (page.outcome == SavedPage::NotFilled)
            notFilled += QLatin1String("\r\n") + page.mail + QLatin1String(": ") + page.why;
    }
    QString summary = Global::ResolveRes(PagesSummary, {out, counts[SavedPage::Saved],
                                                        counts[SavedPage::LeftAlone],
                                                        counts[SavedPage::NotFilled], notFilled});
    if (pages->size() < m_mails.size())
        summary += Global::ResolveRes(FillingStopped, {pages->size(), m_mails.size()});
    Global::showText(summary, Platform::MsgButtons::Ok,
                     counts[SavedPage::NotFilled] ? Platform::MsgIcon::Exclamation
                                                  : Platform::MsgIcon::Information,
                     Global::ResolveRes(Global::Str::TitleNote));
    return pages;
}

Platform::FileRequest PagePreview::saveRequest() const
{
    const QStringList parts = Global::ResolveRes(SaveDialog).split(QChar(0));
    const QString extension = documentExtension(m_path);
    Platform::FileRequest request;
    request.title = parts.value(0);
    request.defaultExtension = extension.isEmpty() ? parts.value(1) : QLatin1Char('*') + extension;
    request.filter = parts.value(2);
    request.folder = documentFolder(m_path);
    request.fileName =
        Global::ResolveRes(FilledName, {QFileInfo(m_path).completeBaseName(), extension});
    request.pathMustExist = false;
    return request;
}

bool PagePreview::saveAs(const QString& path) const
{
    if (m_current < 0 || path.isEmpty())
        return false;
    // The file that the write would replace (a name matches whatever its
    // case) is the document when it is reached through a link too, or names
    // it while it is gone.
    const QString target = Platform::resolveNoCase(path);
    if (reachesDocument(target, m_path)) {
        Global::showMessage(SaveOverDocument, {path}, Platform::MsgButtons::Ok,
                            Platform::MsgIcon::Exclamation, Global::Str::TitleWarning);
        return false;
    }
    try {
        Platform::File::replaceWhole(target, m_filled.bytes.size(), [&](Platform::File& file) {
            file.writeAt(1, m_filled.bytes);
        });
    } catch (...) {
        Global::showMessage(SaveFailed, {path, Global::currentErrorDescription()},
                            Platform::MsgButtons::Ok, Platform::MsgIcon::Exclamation,
                            Global::Str::TitleWarning);
        return false;
    }
    return true;
}

} // namespace Linking
