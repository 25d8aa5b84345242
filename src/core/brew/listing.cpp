#include "listing.h"

#include "replies.h"
#include "requests.h"

namespace vandrel::brew {

Checked<QByteArray> BrewLister::start(const QString &path, const QString &dateText)
{
    m_path = path;
    m_dateText = dateText;
    m_entries.clear();
    m_seq = 0;
    m_files = false;
    // Both halves of the listing name the same path, but only the folder half drops its
    // trailing "/": a path that fits one and not the other must be refused before anything is
    // sent, not half-way through.
    if (const auto files = listFilesRequest(m_path, 0); !files)
        return files;
    return listFoldersRequest(m_path, 0);
}

Next BrewLister::request(bool files)
{
    if (m_seq > 0xFFFF)
        return {Step::Malformed, {}, QStringLiteral("the folder has more entries than a listing can count")};
    const auto built = files ? listFilesRequest(m_path, quint16(m_seq)) : listFoldersRequest(m_path, quint16(m_seq));
    if (!built)  // only without a successful start()
        return {Step::Malformed, {}, built.error()};
    return {Step::Send, *built, {}};
}

Next BrewLister::onReply(QByteArrayView payload)
{
    switch (classifyListingReply(payload)) {
    case ListingReply::NotFound:
        return m_files ? Next{Step::Ignored, {}, {}} : Next{Step::NotFound, {}, {}};
    case ListingReply::FoldersEnd:
        if (m_files)
            return {Step::Ignored, {}, {}};
        m_files = true;
        m_seq = 0;
        return request(true);
    case ListingReply::FilesEnd:
        return m_files ? Next{Step::Done, {}, {}} : Next{Step::Ignored, {}, {}};
    case ListingReply::Other:
        return {Step::Ignored, {}, {}};
    case ListingReply::Entry:
        break;
    }
    const auto entry = parseListingEntry(payload);
    if (!entry)
        return {Step::Malformed, {}, entry.error()};
    if (entry->isFolder == m_files)
        return {Step::Ignored, {}, {}};  // a late reply of the other half
    if (entry->isFolder)
        m_entries.append(explorer::DirEntry::folder(entry->name, m_dateText));
    else
        m_entries.append(explorer::DirEntry::file(entry->name, QString::number(entry->size), m_dateText));
    // The counter follows the phone's own numbering while that fits in its one byte, and
    // never goes back, so a confused phone cannot keep the listing going for ever.
    if (m_seq < 255)
        m_seq = qMax<quint32>(m_seq, entry->seqLow);
    ++m_seq;
    return request(m_files);
}

} // namespace vandrel::brew
