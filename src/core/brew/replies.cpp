#include "replies.h"

#include "requests.h"

#include "core/text/cp1250.h"

#include <QStringDecoder>

namespace vandrel::brew {
namespace {

quint32 readLE(QByteArrayView b, qsizetype at, int bytes)
{
    quint32 v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | quint8(b[at + i]);
    return v;
}

bool isReply(QByteArrayView payload, Op op, qsizetype minimumSize)
{
    return payload.size() >= minimumSize && quint8(payload[0]) == kFileSystemCommand && quint8(payload[1]) == quint8(op);
}

bool equals(QByteArrayView payload, const char (&bytes)[4])
{
    return payload == QByteArrayView(bytes, 3);
}

} // namespace

QString decodeName(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? text::fromCp1250(bytes) : text;
}

ListingReply classifyListingReply(QByteArrayView payload)
{
    if (equals(payload, "\x59\x0A\x1C"))
        return ListingReply::FoldersEnd;
    if (equals(payload, "\x59\x0B\x1C"))
        return ListingReply::FilesEnd;
    if (equals(payload, "\x59\x0A\x08"))
        return ListingReply::NotFound;
    if (isReply(payload, Op::ListFolders, 2) || isReply(payload, Op::ListFiles, 2))
        return ListingReply::Entry;
    return ListingReply::Other;
}

Checked<ListingEntry> parseListingEntry(QByteArrayView payload)
{
    using Result = Checked<ListingEntry>;
    if (!isReply(payload, Op::ListFolders, 2) && !isReply(payload, Op::ListFiles, 2))
        return Result::failure(QStringLiteral("not a listing reply"));
    if (payload.size() < 25)
        return Result::failure(QStringLiteral("listing entry too short (%1 bytes)").arg(payload.size()));
    const qsizetype length = quint8(payload[24]);
    if (25 + length > payload.size())
        return Result::failure(QStringLiteral("listing entry name runs past the reply"));
    QByteArrayView raw = payload.sliced(25, length);
    if (const qsizetype nul = raw.indexOf('\0'); nul >= 0)
        raw = raw.first(nul);
    ListingEntry e;
    e.isFolder = quint8(payload[1]) == quint8(Op::ListFolders);
    e.seqLow = quint8(payload[3]);
    e.size = readLE(payload, 15, 4);
    e.fullName = decodeName(raw);
    e.name = e.fullName.mid(e.fullName.lastIndexOf(QLatin1Char('/')) + 1);
    if (e.name.isEmpty())
        return Result::failure(QStringLiteral("listing entry without a name"));
    return e;
}

Checked<ReadFirstBlock> parseReadFirst(QByteArrayView payload)
{
    using Result = Checked<ReadFirstBlock>;
    if (!isReply(payload, Op::Read, 11))
        return Result::failure(QStringLiteral("first read block too short or not a read reply"));
    ReadFirstBlock b;
    b.totalLength = readLE(payload, 5, 4);
    const qsizetype length = readLE(payload, 9, 2);
    if (length > kBlockSize)
        return Result::failure(QStringLiteral("read block of %1 bytes, more than %2").arg(length).arg(kBlockSize));
    if (11 + length > payload.size())
        return Result::failure(QStringLiteral("read block shorter than its length field"));
    if (length > b.totalLength)
        return Result::failure(QStringLiteral("first read block longer than the file"));
    b.data = payload.sliced(11, length).toByteArray();
    return b;
}

Checked<QByteArray> parseReadNext(QByteArrayView payload)
{
    if (!isReply(payload, Op::Read, 7))
        return Checked<QByteArray>::failure(QStringLiteral("read block too short or not a read reply"));
    if (payload.size() - 7 > kBlockSize)
        return Checked<QByteArray>::failure(
            QStringLiteral("read block of %1 bytes, more than %2").arg(payload.size() - 7).arg(kBlockSize));
    return payload.sliced(7).toByteArray();
}

std::optional<ErrorReply> parseErrorReply(QByteArrayView payload)
{
    if (payload.size() < 2)
        return std::nullopt;
    const quint8 code = quint8(payload[0]);
    if (code != 0x13 && code != 0x14 && code != 0x15)
        return std::nullopt;
    return ErrorReply{code, quint8(payload[1])};
}

bool isReadRefused(QByteArrayView payload)
{
    const auto e = parseErrorReply(payload);
    return e && e->code == 0x14 && e->op == quint8(Op::Read);
}

bool isWriteAccepted(QByteArrayView payload)
{
    return isReply(payload, Op::Write, 3) && payload[2] == '\0';
}

bool isWriteRefused(QByteArrayView payload)
{
    // A write reply with a status other than 0: the phone could not store the block.
    if (payload.size() >= 3 && quint8(payload[0]) == kFileSystemCommand && quint8(payload[1]) == quint8(Op::Write))
        return payload[2] != 0;
    const auto e = parseErrorReply(payload);
    return e && (e->code == 0x14 || e->code == 0x15) && e->op == quint8(Op::Write);
}

std::optional<Status> parseMakeFolder(QByteArrayView payload)
{
    if (!isReply(payload, Op::MakeFolder, 3))
        return std::nullopt;
    switch (quint8(payload[2])) {
    case 0:
        return Status::Done;
    case 7:
        return Status::NotDone;
    default:
        return Status::Other;
    }
}

std::optional<Status> parseRemoveFile(QByteArrayView payload)
{
    if (!isReply(payload, Op::RemoveFile, 3))
        return std::nullopt;
    return payload[2] == '\0' ? Status::Done : Status::NotDone;
}

std::optional<Status> parseRemoveFolder(QByteArrayView payload)
{
    if (equals(payload, "\x59\x01\x00"))
        return Status::Done;
    if (equals(payload, "\x59\x01\x03") || equals(payload, "\x59\x01\x09"))
        return Status::NotDone;
    if (isReply(payload, Op::RemoveFolder, 2))
        return Status::Other;
    return std::nullopt;
}

std::optional<quint32> parseFreeSpace(QByteArrayView payload)
{
    if (!isReply(payload, Op::FreeSpace, 7))
        return std::nullopt;
    return readLE(payload, 3, 4);
}

} // namespace vandrel::brew
