#include "requests.h"

#include "core/text/cp1250.h"

namespace vandrel::brew {
namespace {

QByteArray head(Op op)
{
    QByteArray p;
    p.append(char(kFileSystemCommand));
    p.append(char(op));
    return p;
}

void appendLE16(QByteArray &out, quint32 v)
{
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
}

void appendLE32(QByteArray &out, quint32 v)
{
    appendLE16(out, v & 0xFFFF);
    appendLE16(out, v >> 16);
}

std::optional<QByteArray> nameBytes(QStringView name, QString &why)
{
    const auto bytes = text::toCp1250(name);
    if (!bytes) {
        why = QStringLiteral("the phone name \"%1\" holds characters the phone cannot store").arg(name.toString());
        return std::nullopt;
    }
    if (bytes->contains('\0')) {
        why = QStringLiteral("a phone name cannot hold a NUL character");
        return std::nullopt;
    }
    return bytes;
}

Checked<QByteArray> withName(Op op, QStringView name)
{
    const auto field = nameField(name);
    if (!field)
        return field;
    return head(op) + *field;
}

Checked<QByteArray> listing(Op op, QStringView path, quint16 seq)
{
    const auto field = nameField(path);
    if (!field)
        return field;
    QByteArray p = head(op);
    appendLE32(p, seq);
    return p + *field;
}

QString checkBlock(QByteArrayView block)
{
    if (block.size() > kBlockSize)
        return QStringLiteral("a write block carries at most %1 bytes").arg(kBlockSize);
    return {};
}

} // namespace

Checked<QByteArray> nameField(QStringView name)
{
    QString why;
    const auto bytes = nameBytes(name, why);
    if (!bytes)
        return Checked<QByteArray>::failure(why);
    if (bytes->size() > 254)
        return Checked<QByteArray>::failure(QStringLiteral("the phone name \"%1\" is too long (at most 254 bytes)").arg(name.toString()));
    QByteArray field;
    field.append(char(bytes->size() + 1));
    field.append(*bytes);
    field.append('\0');
    return field;
}

Checked<QByteArray> listFoldersRequest(QStringView path, quint16 seq)
{
    if (path.isEmpty())
        return listing(Op::ListFolders, u"/", seq);
    if (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return listing(Op::ListFolders, path, seq);
}

Checked<QByteArray> listFilesRequest(QStringView path, quint16 seq) { return listing(Op::ListFiles, path, seq); }

Checked<QByteArray> readFirstRequest(QStringView name)
{
    const auto field = nameField(name);
    if (!field)
        return field;
    QByteArray p = head(Op::Read);
    p.append('\0');
    return p + *field;
}

QByteArray readNextRequest(quint8 seq)
{
    QByteArray p = head(Op::Read);
    p.append(char(seq));
    return p;
}

Checked<QByteArray> writeFirstRequest(QStringView name, quint32 totalLength, QByteArrayView firstBlock)
{
    QString why = checkBlock(firstBlock);
    const auto bytes = why.isEmpty() ? nameBytes(name, why) : std::nullopt;
    if (!bytes)
        return Checked<QByteArray>::failure(why);
    if (bytes->size() + 1 > 0xFFFF)
        return Checked<QByteArray>::failure(QStringLiteral("the phone name is too long"));
    QByteArray p = head(Op::Write);
    p.append('\0');                                  // sequence number
    p.append(char(totalLength >= kBlockSize ? 1 : 0)); // more flag
    p.append(char(0x01));
    appendLE32(p, totalLength);
    p.append(QByteArray::fromHex("FF0001"));
    const qsizetype nameLength = bytes->size() + 1;
    p.append(char(nameLength >> 8));                  // this one length is big-endian
    p.append(char(nameLength & 0xFF));
    p.append(*bytes);
    p.append('\0');
    appendLE16(p, quint32(firstBlock.size()));
    p.append(firstBlock);
    return p;
}

Checked<QByteArray> writeNextRequest(quint8 seq, bool more, QByteArrayView block)
{
    if (const QString why = checkBlock(block); !why.isEmpty())
        return Checked<QByteArray>::failure(why);
    QByteArray p = head(Op::Write);
    p.append(char(seq));
    p.append(char(more ? 1 : 0));
    appendLE16(p, quint32(block.size()));
    p.append(block);
    return p;
}

Checked<QByteArray> makeFolderRequest(QStringView name) { return withName(Op::MakeFolder, name); }
Checked<QByteArray> removeFileRequest(QStringView name) { return withName(Op::RemoveFile, name); }
Checked<QByteArray> removeFolderRequest(QStringView name) { return withName(Op::RemoveFolder, name); }

QByteArray freeSpaceRequest()
{
    QByteArray p = head(Op::FreeSpace);
    p.append(char(0x01));
    return p;
}

} // namespace vandrel::brew
