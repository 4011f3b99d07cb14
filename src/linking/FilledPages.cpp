// SPDX-License-Identifier: GPL-3.0-or-later
#include "FilledPages.h"

#include "linking/Filling.h"
#include "linking/SourceText.h"
#include "linking/TagLinks.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/RunTimeError.h"
#include "platform/Text.h"
#include "shared/Messages.h"
#include "shared/Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace Linking {
namespace {

constexpr int PageName = 9390;
constexpr int MailUnreadable = 9396;
constexpr int IsTheDocument = 9397;
constexpr int FolderNotMade = 9398;

} // namespace

QString filledPageName(const QString& documentPath, const QString& mailFile)
{
    return Global::ResolveRes(PageName, {QFileInfo(mailFile).completeBaseName(),
                                         QFileInfo(documentPath).completeBaseName(),
                                         documentExtension(documentPath)});
}

QStringList filledPagePaths(const PageSource& source, const QString& out)
{
    QStringList paths;
    paths.reserve(source.mails.size());
    for (const FormMail& mail : source.mails)
        paths.append(Platform::findNoCase(out, filledPageName(source.documentPath, mail.file)));
    return paths;
}

QString defaultPagesFolder()
{
    return Global::GetDataFolder(QStringLiteral("MailMergeFolder"));
}

bool reachesDocument(const QString& target, const QString& document)
{
    const auto absolute = [](const QString& file) {
        return QDir::cleanPath(QFileInfo(file).absoluteFilePath());
    };
    return Platform::sameEntry(target, document) || absolute(target) == absolute(document);
}

std::optional<QList<SavedPage>> saveFilledPages(const PageSource& source, const QString& out,
                                                bool replace, const PageStep& step)
{
    try {
        if (!QFileInfo(out).isDir()) {
            Platform::File::checkFault(out, Platform::File::Operation::MakeFolder);
            if (!QDir().mkpath(out))
                throw Platform::RunTimeError(Platform::RunTimeError::PathFileAccessError);
        }
    } catch (...) {
        Global::showMessage(FolderNotMade, {out, Global::currentErrorDescription()},
                            Platform::MsgButtons::Ok, Platform::MsgIcon::Exclamation,
                            Global::Str::TitleWarning);
        return std::nullopt;
    }

    const QList<StoredLink> links = storedLinks(source.displayName);
    const QStringList paths = filledPagePaths(source, out);
    // Two e-mails whose names differ only in case would name one page: the
    // second is not let write over the first.
    QSet<QString> taken;
    QList<SavedPage> pages;
    for (qsizetype i = 0; i < source.mails.size(); ++i) {
        SavedPage page;
        page.mail = source.mails[i].file;
        page.path = paths[i];
        const QString folded = Platform::foldCase(page.path);
        const std::optional<QList<FieldLine>> values =
            readFormFields(source.folder + QLatin1Char('/') + page.mail, source.defs);
        if (!values) {
            page.why = Global::ResolveRes(MailUnreadable);
        } else if (reachesDocument(page.path, source.documentPath)) {
            page.why = Global::ResolveRes(IsTheDocument);
        } else if (taken.contains(folded)) {
            page.outcome = SavedPage::LeftAlone;
        } else {
            const QByteArray bytes = fillDocument(source.document, links, *values).bytes;
            const auto write = [&](Platform::File& file) { file.writeAt(1, bytes); };
            try {
                if (replace) {
                    Platform::File::replaceWhole(page.path, bytes.size(), write);
                    page.outcome = SavedPage::Saved;
                } else {
                    page.outcome = Platform::File::createWhole(page.path, bytes.size(), write)
                                       ? SavedPage::Saved
                                       : SavedPage::LeftAlone;
                }
            } catch (...) {
                page.why = Global::currentErrorDescription();
            }
        }
        taken.insert(folded);
        pages.append(page);
        if (step && !step(page, int(i + 1)))
            break;
    }
    return pages;
}

} // namespace Linking
