// SPDX-License-Identifier: GPL-3.0-or-later
#include "CardText.h"
#include "platform/Cp1252.h"
#include "shared/Messages.h"

#include <QStringDecoder>

namespace Finding {

namespace CardText {

QString joinedNonEmpty(const QStringList& parts, const QString& separator)
{
    QStringList kept;
    for (const QString& part : parts) {
        if (!part.trimmed().isEmpty())
            kept << part.trimmed();
    }
    return kept.join(separator);
}

QString decodeUnlabelled(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return Platform::Cp1252::decode(bytes);
}

void setStreet(CardAddress& address, const QStringList& lines)
{
    address.road = lines.value(0).trimmed();
    address.district = joinedNonEmpty(lines.mid(1), QStringLiteral(", "));
}

void keep(CardsRead& read, const ContactCard& card)
{
    if (card.contactName().isEmpty() && card.organisation.trimmed().isEmpty())
        read.problems << CardProblem{card.line, Global::ResolveRes(NoName)};
    else
        read.cards << card;
}

} // namespace CardText

bool CardAddress::isEmpty() const
{
    return building.isEmpty() && road.isEmpty() && district.isEmpty() && town.isEmpty() &&
           county.isEmpty() && postcode.isEmpty() && country.isEmpty();
}

QString ContactCard::contactName() const
{
    const bool namedByParts = !(given + additional + family).trimmed().isEmpty();
    // Address books write an organisation's own card with its name as the
    // formatted name and no name parts.
    if (isOrganisation ||
        (!namedByParts && !organisation.isEmpty() && formattedName == organisation))
        return {};
    const QString formatted = formattedName.trimmed();
    if (!formatted.isEmpty()) {
        // The title has a field of its own, as on the new-contact panel:
        // "Dr Ngozi Okafor" with the title "Dr" is the contact "Ngozi Okafor".
        const QString title = prefix.trimmed();
        if (!title.isEmpty() && formatted.size() > title.size() &&
            formatted.startsWith(title, Qt::CaseInsensitive) && formatted[title.size()] == u' ')
            return formatted.sliced(title.size()).trimmed();
        return formatted;
    }
    return CardText::joinedNonEmpty({given, additional, family, suffix}, QStringLiteral(" "));
}

CardsRead readCards(const QByteArray& bytes)
{
    const QByteArray start = bytes.left(256).trimmed().toUpper();
    const bool vcard = start.startsWith("BEGIN:VCARD") || start.startsWith("\xEF\xBB\xBF"
                                                                           "BEGIN:VCARD");
    return vcard ? readVCards(bytes) : readCsvCards(bytes);
}

} // namespace Finding
