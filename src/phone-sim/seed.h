#pragma once
// The demo content the virtual phone starts with: the OBEX memories "mmc" and "user", the
// BREW file system with the phone's databases, and the stored messages, under one root folder.
#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace vandrel::phonesim {

QString obexRootOf(const QString &root);  // root + "/obex", holding "mmc" and "user"
QString brewRootOf(const QString &root);  // root + "/brew-fs"

QString smsStoreOf(const QString &root);  // root + "/messages.txt"
// The BREW folder holding the group, e-mail account and connection profile files.
QString databaseFolderOf(const QString &root);
inline constexpr char databaseFolderName[] = "brew/pim";

struct SeedOptions {
    int messages = 0; // at least this many stored messages, for a long list
};

// Creates and fills `root` when it is missing or empty; leaves an existing phone alone.
// False when the folder cannot be made.
bool seedWhenEmpty(const QString &root, const SeedOptions &options = {});

// Whole texts of the seeded concatenated messages, for tests that join their parts: two parts at
// indexes 3 and 7; three parts (16-bit reference) at 12, 4 and 9; parts 1 and 3 of three at 6
// and 11, the second one missing.
QString seededTwoPartText();
QString seededThreePartText();
QString seededIncompleteText();

// The parts of the seeding, each in its own file.
bool putSeedFile(const QString &path, const QByteArray &data, const QDateTime &when = {});
void seedMessages(const QString &storeFile, int atLeast);
void seedDatabases(const QString &brewRoot);

} // namespace vandrel::phonesim
