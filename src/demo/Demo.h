// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <stdexcept>

// A complete workspace of made-up data for trying the programs out: a
// settings hive, the suite's data folders, a filing tree of companies and
// people with their data files, job folders holding e-mailed form
// submissions, and reply pages to link them to.
namespace Demo {

struct DemoOptions
{
    int contacts = 500;   // people in the filing tree
    int emailsPerJob = 8; // e-mails in each job folder; 0 for none
    quint64 seed = 1;
    // One person in this many has a job folder holding e-mails (the first
    // person always has one).
    int jobEvery = 10;
};

struct DemoSummary
{
    QString folder;      // the workspace, absolute
    QString registry;    // its settings hive
    QString showcaseJob; // the job folder the main window opens first
    QString user;        // the user's own folder, relative to the users folder
    int companies = 0;
    int people = 0; // in companies and on their own
    int jobFolders = 0;
    int emails = 0;
    int templates = 0;
    int folders = 0; // made, the workspace's own folder left out
    int files = 0;   // written, the hive left out
};

// Why a workspace could not be made; the message names the folder or file.
class DemoError : public std::runtime_error
{
public:
    explicit DemoError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// Makes the workspace in `folder`, which must be missing or empty (a folder
// that holds anything is refused before anything is written). The same seed
// gives the same files, byte for byte, wherever the workspace is made; only
// the hive holds the workspace's own path. Throws DemoError.
DemoSummary createWorkspace(const QString& folder, const DemoOptions& options = {});

} // namespace Demo
