// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the address-book card readers, as vCard and as
// CSV. Besides crashes and hangs it checks that every card read names a
// person or an organisation, and that the cards written as vCard 4.0 read
// back as as many cards with the same names.
#include "QuietUiHost.h"
#include "finder/ContactCards.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Fuzzing::QuietUiHost host;
    Platform::ScopedUiHost quiet(host);
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const Finding::CardsRead& read :
         {Finding::readVCards(bytes), Finding::readCsvCards(bytes)}) {
        for (const Finding::ContactCard& card : read.cards)
            require(!card.contactName().isEmpty() || !card.organisation.trimmed().isEmpty());
        const Finding::CardsRead back =
            Finding::readVCards(Finding::writeVCards(read.cards).toUtf8());
        require(back.problems.isEmpty() && back.cards.size() == read.cards.size());
        for (qsizetype i = 0; i < back.cards.size(); ++i) {
            require(back.cards[i].contactName() == read.cards[i].contactName());
            require(back.cards[i].organisation == read.cards[i].organisation);
        }
    }
    return 0;
}
