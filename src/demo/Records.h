// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The demo's data files as bytes, made by the suite's own record writers.

#include "Demo.h"
#include "Forms.h"
#include "People.h"
#include "Random.h"
#include "datafiles/PostcodeBuilder.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace Demo {

struct DemoUser
{
    QString name, initials, login;
    bool administrator = false;
};

struct FolderInfo
{
    int kind = 0;
    QString ref;
    bool hasChildFolders = false;
    QString folderSummary;
    int lastRef = 0;
};

// The FolderSummary entry of one sub-folder, as the finder's folder browsing
// reads it: character 16, the reference, character 17, the kind, character 18.
QString folderSummaryEntry(const QString& ref, int kind);
// The most bytes a text of a record can hold.
constexpr qsizetype MaxRecordText = 0xFFFF;

QByteArray fileInfoBytes(const FolderInfo& info);
QByteArray profileBytes(const Party& party);
QByteArray eventBytes(const DemoMail& mail);
// An address of the filing tree as the postcode address file holds it.
Routines_RADs::PostcodeAddress postcodeAddress(const PostalAddress& address,
                                               const QString& company);
// The postcode address file of the demo's addresses, with a few streets of
// houses and shops added beside them. Throws DemoError.
QByteArray postcodeFileBytes(const std::vector<Routines_RADs::PostcodeAddress>& addresses,
                             Random random);
// The share file, written by the suite's share writer. Throws DemoError.
void writeShare(const QString& path, const std::vector<DemoUser>& users);

} // namespace Demo
