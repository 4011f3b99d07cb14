// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "linking/CommentTags.h"
#include "linking/FormSubmissions.h"
#include "linking/TagMatching.h"
#include "linking/TagStates.h"

#include <QList>
#include <QObject>
#include <QString>

namespace Linking {

// What the main window shows about links, and the steps that change it,
// without a widget: the field rows, the current row, the selected field and
// tag, the source text with its selection, and the document whose links
// they are. The window forwards its controls' events to the slots and
// mirrors the signals into its controls; tests drive it directly.
class TagLinker : public QObject
{
    Q_OBJECT

public:
    explicit TagLinker(QObject* parent = nullptr);

    const QList<FieldRow>& rows() const { return m_rows; }
    int currentRow() const { return m_currentRow; }
    QString selectedField() const { return m_selectedField; }
    QString selectedTag() const { return m_selectedTag; }
    // True when a row of the list is current (its field the selected one)
    // and a tag is selected: the Link and Unlink buttons and the two options
    // are enabled. A field left from another folder's rows does not count.
    bool canLink() const
    {
        return m_currentRow >= 0 && !m_selectedField.isEmpty() && !m_selectedTag.isEmpty();
    }
    const QString& sourceText() const { return m_sourceText; }
    Selection sourceSelection() const { return m_selection; }
    QString documentName() const { return m_documentName; }

    // A new scan's rows: the current row and the selected field go, no
    // links are loaded.
    void setRows(QList<FieldRow> rows);
    // A job folder's scan: its rows as setRows takes them, and its fields,
    // their uses and its form e-mails; from now on a link to a field that
    // the folder lacks is marked as such.
    void setScan(ScanResult scan);
    const ScanResult& scan() const { return m_scan; }
    // The field list's text of a row: with a scan, how many of its form
    // e-mails carry the field. A tag over several lines shows on one, its
    // line ends and tabs as blanks (the row keeps the tag as it is).
    QString rowText(int row) const;

    // Every comment tag of the source with its state.
    const TagMarks& tagMarks() const { return m_marks; }
    // The document whose source is shown (its display name keys the links).
    // The selection goes back to the start.
    void setSource(const QString& displayName, QString text);
    // sub_LoadTagLinks: the rows show the stored links of the document, and
    // only those.
    void loadTagLinks();

    // Linking by name: the tags that are not linked paired with the fields
    // of their names.
    QList<MatchPair> matchingPairs() const;
    // Links the pairs (a tag that is linked by now keeps its link); the rows
    // and marks then show what the store holds.
    void linkPairs(const QList<MatchPair>& pairs);

public slots:
    // Every selection change of the source view (in document positions):
    // the selected-tag rule.
    void sourceSelectionChanged(Selection selection);
    // The user clicked the source: a caret left inside a comment tag selects
    // the whole tag.
    void sourceClicked();
    // The user clicked a row (list_Fields_Click with the control's origin).
    void rowClicked(int row);
    // The Previous and Next comment tag buttons; a beep when there is none.
    void previousTag();
    void nextTag();
    // Steps to the next tag that is not linked, wrapping at the end; a beep
    // when every tag is linked.
    void nextUnlinkedTag();
    // Selects the tag of tagMarks().marks()[mark] as a click in the source
    // would.
    void selectMark(int mark);
    // The Link button: asks message 9321 when the tag is linked to a field
    // already; stores the link under the document's key. The rows then show
    // what the store holds, as after Unlink.
    void link();
    // The Unlink button: deletes the selected tag's link, whichever row
    // shows it.
    void unlink();

signals:
    void rowsReset();
    void rowChanged(int row);
    void currentRowChanged(int row);
    void selectedFieldChanged(const QString& field);
    void selectedTagChanged(const QString& tag);
    void canLinkChanged(bool canLink);
    // The source view should select this (document positions); the view's
    // selection change then comes back through sourceSelectionChanged.
    void sourceSelectionRequested(Selection selection);
    // A new source's tags, all marked afresh.
    void tagMarksReset();
    // The marks whose state changed (indexes into tagMarks().marks()).
    void tagMarksChanged(const QList<int>& marks);

private:
    // A current row, a field and a tag, and a document whose name can key
    // links (message 9322 when it cannot).
    bool readyToLink() const;
    void setSelectedField(const QString& field);
    void setSelectedTag(const QString& tag);
    void setCurrentRow(int row);
    // Selects in the source as the user would, and asks the view to follow.
    void select(Selection selection);
    // Announces a change of canLink().
    void updateCanLink();
    void linkChanged(int index);  // txt_Link_Change
    void fieldsClick(int origin); // list_Fields_Click
    // The marks' states from the stored links and the scan's fields.
    QList<int> updateMarks();

    QList<FieldRow> m_rows;
    int m_currentRow = -1;
    QString m_selectedField;
    QString m_selectedTag;
    QString m_documentName;
    QString m_sourceText;
    Selection m_selection;
    bool m_canLink = false; // as last announced by canLinkChanged
    ScanResult m_scan;
    std::optional<QSet<QString>> m_folderFields; // once a folder is scanned
    TagMarks m_marks;
};

} // namespace Linking
