#pragma once
// A BREW folder listing: one request per entry, folders first, then files.
#include "core/diag/checked.h"
#include "core/explorer/direntry.h"
#include "step.h"

#include <QList>
#include <QString>

namespace vandrel::brew {

class BrewLister {
public:
    // The first request for `path` ("" the root, else names each followed by "/"). Rows carry
    // `dateText`, since the phone sends no dates. The parent row is the caller's. Refused when
    // the folders or the files request cannot carry the path.
    Checked<QByteArray> start(const QString &path, const QString &dateText);

    // Send (the next request), Done, NotFound, Malformed or Ignored.
    Next onReply(QByteArrayView payload);

    // Folders in the order received, then files.
    const QList<explorer::DirEntry> &entries() const { return m_entries; }

private:
    Next request(bool files);

    QString m_path;
    QString m_dateText;
    QList<explorer::DirEntry> m_entries;
    quint32 m_seq = 0;
    bool m_files = false;
};

} // namespace vandrel::brew
