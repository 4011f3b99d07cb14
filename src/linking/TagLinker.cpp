// SPDX-License-Identifier: GPL-3.0-or-later
#include "TagLinker.h"

#include "CommentTags.h"
#include "TagLinks.h"
#include "platform/UiHost.h"
#include "shared/Messages.h"

#include <algorithm>

namespace Linking {

TagLinker::TagLinker(QObject* parent) : QObject(parent) {}

void TagLinker::setRows(QList<FieldRow> rows)
{
    m_rows = std::move(rows);
    emit rowsReset();
    setCurrentRow(-1);
    setSelectedField(QString());
}

void TagLinker::setScan(ScanResult scan)
{
    m_scan = std::move(scan);
    m_folderFields = QSet<QString>();
    for (const FieldRow& row : std::as_const(m_scan.rows))
        m_folderFields->insert(row.fieldName);
    setRows(m_scan.rows);
    if (const QList<int> changed = updateMarks(); !changed.isEmpty())
        emit tagMarksChanged(changed);
}

QString TagLinker::rowText(int row) const
{
    FieldRow field = m_rows.value(row);
    // The row's text box shows one line: a tag over several shows its line
    // ends as blanks.
    field.tagLink = tagOnOneLine(field.tagLink, u' ');
    const auto use = m_scan.uses.constFind(field.fieldName);
    if (use == m_scan.uses.cend())
        return Linking::rowText(field);
    return Linking::rowText(field) + formsLine(use->count, int(m_scan.mails.size()));
}

void TagLinker::setSource(const QString& displayName, QString text)
{
    m_documentName = displayName;
    m_sourceText = std::move(text);
    m_marks.setText(m_sourceText);
    updateMarks();
    emit tagMarksReset();
    sourceSelectionChanged({});
}

void TagLinker::loadTagLinks()
{
    for (int row : Linking::loadTagLinks(m_rows, m_documentName))
        emit rowChanged(row);
    if (const QList<int> changed = updateMarks(); !changed.isEmpty())
        emit tagMarksChanged(changed);
}

QList<int> TagLinker::updateMarks()
{
    if (m_marks.marks().isEmpty())
        return {};
    return m_marks.update(storedLinks(m_documentName), m_folderFields);
}

void TagLinker::sourceSelectionChanged(Selection selection)
{
    const qsizetype size = m_sourceText.size();
    selection.start = std::clamp<qsizetype>(selection.start, 0, size);
    selection.length = std::clamp<qsizetype>(selection.length, 0, size - selection.start);
    m_selection = selection;
    setSelectedTag(
        Linking::selectedTag(QStringView(m_sourceText).sliced(selection.start, selection.length)));
}

void TagLinker::sourceClicked()
{
    if (m_selection.length != 0)
        return;
    if (const std::optional<Selection> tag = m_marks.tagAround(m_selection.start))
        select(*tag);
}

void TagLinker::rowClicked(int row)
{
    setCurrentRow(row >= 0 && row < m_rows.size() ? row : -1);
    fieldsClick(0);
}

void TagLinker::previousTag()
{
    if (const std::optional<Selection> tag = Linking::previousTag(m_sourceText, m_selection))
        select(*tag);
    else
        Platform::uiHost().beep();
}

void TagLinker::nextTag()
{
    if (const std::optional<Selection> tag = Linking::nextTag(m_sourceText, m_selection))
        select(*tag);
    else
        Platform::uiHost().beep();
}

void TagLinker::nextUnlinkedTag()
{
    if (const std::optional<Selection> tag = m_marks.nextUnlinked(m_selection))
        select(*tag);
    else
        Platform::uiHost().beep();
}

void TagLinker::selectMark(int mark)
{
    if (mark >= 0 && mark < m_marks.marks().size())
        select(m_marks.marks()[mark].at);
}

QList<MatchPair> TagLinker::matchingPairs() const
{
    return Linking::matchingPairs(m_sourceText, m_marks, m_rows);
}

void TagLinker::linkPairs(const QList<MatchPair>& pairs)
{
    if (pairs.isEmpty() || !checkDocumentKey(m_documentName))
        return;
    Linking::linkPairs(m_documentName, pairs);
    loadTagLinks();
}

bool TagLinker::readyToLink() const
{
    return m_currentRow >= 0 && canLink() && checkDocumentKey(m_documentName);
}

void TagLinker::link()
{
    if (!readyToLink())
        return;
    const QString tag = m_selectedTag;
    // A tag is linked to one field, whatever its case (the store's names
    // ignore case): to the field of the row that shows it, or to one that
    // the store holds and no row shows.
    QString linked;
    if (const int row = rowOfTag(m_rows, tag); row >= 0)
        linked = m_rows[row].fieldName;
    else if (const QString stored = storedField(m_documentName, tag); stored != m_selectedField)
        linked = stored;
    if (!linked.isEmpty()) {
        const Platform::MsgAnswer answer = Global::showMessage(
            9321, {tag, linked, m_rows[m_currentRow].fieldName}, Platform::MsgButtons::YesNo,
            Platform::MsgIcon::None, Global::Str::TitleWarning);
        if (answer != Platform::MsgAnswer::Yes)
            return;
    }
    storeLink(m_documentName, tag, m_selectedField);
    loadTagLinks();
}

void TagLinker::unlink()
{
    if (!readyToLink())
        return;
    removeLink(m_documentName, m_selectedTag);
    loadTagLinks();
}

void TagLinker::setSelectedField(const QString& field)
{
    if (field == m_selectedField)
        return;
    m_selectedField = field;
    emit selectedFieldChanged(field);
    linkChanged(0);
}

void TagLinker::setSelectedTag(const QString& tag)
{
    if (tag == m_selectedTag)
        return;
    m_selectedTag = tag;
    emit selectedTagChanged(tag);
    linkChanged(1);
}

void TagLinker::setCurrentRow(int row)
{
    if (row == m_currentRow)
        return;
    m_currentRow = row;
    emit currentRowChanged(row);
    updateCanLink();
}

void TagLinker::select(Selection selection)
{
    sourceSelectionChanged(selection);
    emit sourceSelectionRequested(m_selection);
}

void TagLinker::updateCanLink()
{
    if (canLink() != m_canLink) {
        m_canLink = canLink();
        emit canLinkChanged(m_canLink);
    }
}

void TagLinker::linkChanged(int index)
{
    updateCanLink();
    if (index != 1 || m_selectedTag.isEmpty())
        return;
    int row = rowOfTag(m_rows, m_selectedTag);
    // A tag that is not linked yet finds the field of its name.
    if (row < 0 && storedField(m_documentName, m_selectedTag).isEmpty())
        row = rowNamedLike(m_rows, m_selectedTag);
    if (row < 0)
        return;
    setCurrentRow(row);
    fieldsClick(-1);
}

void TagLinker::fieldsClick(int origin)
{
    if (m_currentRow < 0)
        return;
    const FieldRow row = m_rows[m_currentRow];
    setSelectedField(row.fieldName);
    if (origin == -1 || row.tagLink.isEmpty())
        return;
    const qsizetype found = m_sourceText.indexOf(row.tagLink);
    if (found >= 0)
        select({found, row.tagLink.size()});
}

} // namespace Linking
