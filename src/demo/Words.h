// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <span>

// The word lists the demo draws its people, companies and places from.
// Telephone numbers come from the ranges that the UK numbering plan keeps
// free for fiction, and e-mail domains are reserved example domains, so no
// demo record reaches a real line or mailbox.
namespace Demo::Words {

using List = std::span<const char* const>;

extern const List MaleFirstNames;
extern const List FemaleFirstNames;
extern const List Surnames;
extern const List CompanyStems;
extern const List Trades;
extern const List CompanySuffixes;
// Names that hold characters a folder name cannot (made safe on the way).
extern const List AwkwardCompanyNames;
extern const List StreetNames;
extern const List StreetKinds;
extern const List BuildingNames;
extern const List Localities;
extern const List Positions;
extern const List Sectors;
extern const List Notes;
extern const List MailDomains;
extern const List Brochures;
extern const List Products;
extern const List Referrers;
extern const List EnquiryTexts;
extern const List OrdinarySubjects;
extern const List OrdinaryTexts;

struct Town
{
    const char* name;
    const char* county;
    const char* postcodeArea;
    int highestDistrict;
    // The fiction range of the town's code: the digits before the last
    // three, which the demo draws.
    const char* phonePrefix;
};
extern const std::span<const Town> Towns;

// The fiction range of mobile numbers, before its last three digits.
extern const char* const MobilePrefix;

} // namespace Demo::Words
