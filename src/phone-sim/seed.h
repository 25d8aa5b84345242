#pragma once
// The demo content the virtual phone starts with: the OBEX memories "mmc" and "user" and the
// BREW file system, laid out under one root folder.
#include <QString>

namespace vandrel::phonesim {

QString obexRootOf(const QString &root);  // root + "/obex", holding "mmc" and "user"
QString brewRootOf(const QString &root);  // root + "/brew-fs"

// Creates and fills `root` when it is missing or empty; leaves an existing phone alone.
// False when the folder cannot be made.
bool seedWhenEmpty(const QString &root);

} // namespace vandrel::phonesim
