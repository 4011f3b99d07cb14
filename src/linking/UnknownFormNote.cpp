// SPDX-License-Identifier: GPL-3.0-or-later
#include "UnknownFormNote.h"

#include "shared/Messages.h"

namespace Linking {
namespace {

namespace Str {
enum : int
{
    FormsNotDefined = 9380,
    FormNotDefined = 9381,
    OtherForms = 9382,
    OtherForm = 9383,
    Tab = 9387,
};
}

} // namespace

void UnknownFormNote::setForms(QList<UnknownForm> forms)
{
    m_forms = std::move(forms);
}

QString UnknownFormNote::text() const
{
    if (m_forms.isEmpty())
        return QString();
    const UnknownForm& first = m_forms.constFirst();
    QString text = first.count == 1
                       ? Global::ResolveRes(Str::FormNotDefined, {first.subject})
                       : Global::ResolveRes(Str::FormsNotDefined, {first.count, first.subject});
    const qsizetype others = m_forms.size() - 1;
    if (others == 1)
        text += QLatin1Char(' ') + Global::ResolveRes(Str::OtherForm);
    else if (others > 1)
        text += QLatin1Char(' ') + Global::ResolveRes(Str::OtherForms, {others});
    return text;
}

QString UnknownFormNote::name() const
{
    return m_forms.isEmpty() ? QString() : m_forms.constFirst().subject;
}

QString UnknownFormNote::delimiterLabel() const
{
    return labelOf(m_forms.isEmpty() ? candidateDelimiters().constFirst()
                                     : m_forms.constFirst().delimiter);
}

QStringList UnknownFormNote::delimiterLabels()
{
    QStringList labels;
    for (const QString& delimiter : candidateDelimiters())
        labels.append(labelOf(delimiter));
    return labels;
}

// A tab cannot be seen in a box, nor typed into one: it goes by its name.
QString UnknownFormNote::labelOf(const QString& delimiter)
{
    return delimiter == QLatin1String("\t") ? Global::ResolveRes(Str::Tab) : delimiter;
}

QString UnknownFormNote::delimiterOf(const QString& label)
{
    return label.compare(Global::ResolveRes(Str::Tab), Qt::CaseInsensitive) == 0
               ? QStringLiteral("\t")
               : label;
}

bool UnknownFormNote::canDefine(const QString& name, const QString& delimiterLabel)
{
    // An empty name would take the e-mails without a subject, and an empty
    // delimiter is stored as none, which reads as " =".
    return !name.isEmpty() && !delimiterLabel.isEmpty();
}

bool UnknownFormNote::define(const QString& name, const QString& delimiterLabel)
{
    if (!canDefine(name, delimiterLabel))
        return false;
    return saveFormSubmission(name, {.delimiter = delimiterOf(delimiterLabel)}) !=
           FormSaved::Failed;
}

} // namespace Linking
