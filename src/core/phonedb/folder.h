#pragma once
// The folder of copied database files behind the "Ostatní" tab: what "Načíst" reads from it
// and what "Zapsat" writes into it. The callers read and write the files.
#include "accounts.h"
#include "core/diag/checked.h"
#include "groups.h"

#include <QList>
#include <QMap>
#include <QStringList>

namespace vandrel::phonedb {

// The filter check boxes "Skupiny", "Datové profily" and "Email nastavení".
struct LoadSelection {
    bool groups = true;
    bool profiles = true;
    bool accounts = true;
};

// The names "Načíst" looks for, in reading order: the group file, profile1..20, account1..20,
// each only when its kind is selected.
QStringList filesToLoad(const LoadSelection &selection);

struct FolderContent {
    bool groupsRead = false; // the group file was selected and there: ListBox4 shows `groups`
    GroupList groups;
    // The group file was read without a problem: "grp.vdl" is rewritten from groups.sideLines()
    // and the address book's group list follows. A damaged file leaves both as they were.
    bool replaceGroupSideFile = false;
    QList<GProfil> profiles;       // always replaces the profile table (empty when not selected)
    QList<AccountRecord> accounts; // always replaces the account table (empty when not selected)
    QStringList problems;          // each names its file; a refused profile or account is left out
};

// `files` maps the names of filesToLoad that exist in the folder to their bytes, each read up
// to kMaxDatabaseFileSize + 1 bytes.
FolderContent loadDatabaseFolder(const LoadSelection &selection, const QMap<QString, QByteArray> &files);

struct AccountFile {
    QString name; // "account1" ...
    QByteArray bytes;
};

struct AccountWritePlan {
    QList<AccountFile> files; // one per account, numbered from 1 in table order
    QStringList existing;     // of those names, the ones already in the folder
    // Account files in the folder that are not written; left there, they would read back as
    // more accounts. Removed together with the replaced files, after the same question.
    QStringList obsolete;
};

// "Zapsat": every file, or nothing and the first value that does not fit (account and field
// named). `folderEntries` are the names of the files in the target folder. After writing, each
// record's `original` becomes its written bytes.
Checked<AccountWritePlan> planAccountWrite(const QList<AccountRecord> &accounts, const QStringList &folderEntries);

} // namespace vandrel::phonedb
