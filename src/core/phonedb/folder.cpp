#include "folder.h"

namespace vandrel::phonedb {

QStringList filesToLoad(const LoadSelection &selection)
{
    QStringList names;
    if (selection.groups)
        names.append(kGroupFileName);
    for (int n = 1; selection.profiles && n <= kMaxNumbered; ++n)
        names.append(profileFileName(n));
    for (int n = 1; selection.accounts && n <= kMaxNumbered; ++n)
        names.append(accountFileName(n));
    return names;
}

FolderContent loadDatabaseFolder(const LoadSelection &selection, const QMap<QString, QByteArray> &files)
{
    FolderContent content;
    if (selection.groups && files.contains(kGroupFileName)) {
        content.groupsRead = true;
        content.groups = ReadGroups(files.value(kGroupFileName), kGroupFileName);
        content.replaceGroupSideFile = content.groups.problems.isEmpty();
        content.problems += content.groups.problems;
    }
    for (int n = 1; selection.profiles && n <= kMaxNumbered; ++n) {
        const QString name = profileFileName(n);
        if (!files.contains(name))
            continue;
        const auto profile = readProfileFile(files.value(name), name);
        if (profile)
            content.profiles.append(*profile);
        else
            content.problems.append(profile.error());
    }
    for (int n = 1; selection.accounts && n <= kMaxNumbered; ++n) {
        const QString name = accountFileName(n);
        if (!files.contains(name))
            continue;
        const auto account = readAccountFile(files.value(name), name);
        if (account)
            content.accounts.append(*account);
        else
            content.problems.append(account.error());
    }
    return content;
}

Checked<AccountWritePlan> planAccountWrite(const QList<AccountRecord> &accounts, const QStringList &folderEntries)
{
    using R = Checked<AccountWritePlan>;
    if (accounts.isEmpty())
        return R::failure(QStringLiteral("there are no accounts to write"));
    if (accounts.size() > kMaxNumbered)
        return R::failure(QStringLiteral("%1 accounts do not fit: the phone reads account1 to account%2").arg(accounts.size()).arg(kMaxNumbered));
    AccountWritePlan plan;
    for (qsizetype i = 0; i < accounts.size(); ++i) {
        const int number = int(i) + 1;
        const auto bytes = writeAccount(accounts[i], number);
        if (!bytes)
            return R::failure(bytes.error());
        const QString name = accountFileName(number);
        plan.files.append({name, *bytes});
        if (folderEntries.contains(name))
            plan.existing.append(name);
    }
    for (int n = int(accounts.size()) + 1; n <= kMaxNumbered; ++n)
        if (folderEntries.contains(accountFileName(n)))
            plan.obsolete.append(accountFileName(n));
    return plan;
}

} // namespace vandrel::phonedb
