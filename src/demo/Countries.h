// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "datafiles/InternationalFile.h"

#include <span>

// The world's countries with their dialling codes, and the area codes of the
// United Kingdom that the demo's telephone numbers use, as the demo's
// international database and country list hold them. Public facts.
namespace Demo {

struct CountryFacts
{
    const char* name; // UTF-8
    const char* diallingCode;
    const char* trunkPrefix;
};
// In alphabetical order.
extern const std::span<const CountryFacts> WorldCountries;

struct AreaCodeFacts
{
    const char* code;
    const char* place;
};
extern const std::span<const AreaCodeFacts> UkAreaCodes;

// The country whose code the demo's numbers are written in, which the
// settings name as the local country.
inline constexpr const char* HomeCountry = "United Kingdom";

// The database that the demo writes: the countries of WorldCountries in
// their order from reference number 1, the United Kingdom with its area
// codes.
DataFiles::InternationalRecord internationalDatabase();

} // namespace Demo
