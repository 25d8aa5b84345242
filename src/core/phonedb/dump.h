#pragma once
// "NAČÍST PAMĚŤ TELEFONU": a captured dump of diagnostic frames with their escaping undone,
// saved as a new file beside the dump (the dump itself stays as it was).
#include <QByteArray>
#include <QString>
#include <functional>

namespace vandrel::phonedb {

// 7D 5D -> 7D and 7D 5E -> 7E over the whole dump; every other byte as it is.
QByteArray unescapeDump(QByteArrayView dump);

// The file for the result: "name.dat" -> "name-unescaped.dat", or with "-2", "-3" ... added
// while `exists` says the name is taken. Empty when no free name is found.
QString unescapedDumpPath(const QString &dumpPath, const std::function<bool(const QString &)> &exists);

} // namespace vandrel::phonedb
