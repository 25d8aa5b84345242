#include "packets.h"

#include "core/text/format.h"
#include "core/text/utf16be.h"

namespace vandrel::obex {
namespace {

void appendU16(QByteArray &out, qsizetype v)
{
    out.append(char((v >> 8) & 0xFF));
    out.append(char(v & 0xFF));
}

void appendU32(QByteArray &out, quint32 v)
{
    appendU16(out, v >> 16);
    appendU16(out, v & 0xFFFF);
}

void appendConnectionId(QByteArray &out)
{
    out.append(char(0xCB));
    appendU32(out, kConnectionId);
}

// Writes the packet length into bytes 1-2 once the packet is complete.
QByteArray finish(QByteArray packet)
{
    packet[1] = char((packet.size() >> 8) & 0xFF);
    packet[2] = char(packet.size() & 0xFF);
    return packet;
}

QByteArray start(quint8 opcode)
{
    QByteArray p;
    p.append(char(opcode));
    p.append(2, '\0');
    return p;
}

QString checkName(QStringView name)
{
    if (name.isEmpty())
        return QStringLiteral("an OBEX request needs a name");
    if (name.size() > kMaxNameLength)
        return QStringLiteral("the name \"%1\" is longer than %2 characters").arg(name.toString()).arg(kMaxNameLength);
    if (name.contains(QChar(0)) || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return QStringLiteral("the name \"%1\" holds a character a phone name cannot").arg(name.toString());
    return {};
}

// Name header: 01, length, UTF-16BE name, two zero bytes.
void appendNameHeader(QByteArray &out, QStringView name)
{
    out.append(char(0x01));
    appendU16(out, 3 + 2 * name.size() + 2);
    out.append(text::toUtf16BE(name));
    out.append(2, '\0');
}

Checked<QByteArray> setPath(QStringView name, quint8 flags)
{
    if (const QString why = checkName(name); !why.isEmpty())
        return Checked<QByteArray>::failure(why);
    QByteArray p = start(0x85);
    p.append(char(flags));
    p.append('\0');
    appendConnectionId(p);
    appendNameHeader(p, name);
    return finish(p);
}

Checked<QByteArray> namedRequest(quint8 opcode, QStringView name)
{
    if (const QString why = checkName(name); !why.isEmpty())
        return Checked<QByteArray>::failure(why);
    QByteArray p = start(opcode);
    appendConnectionId(p);
    appendNameHeader(p, name);
    return finish(p);
}

void appendBody(QByteArray &out, QByteArrayView chunk, bool final)
{
    out.append(char(final ? 0x49 : 0x48));
    appendU16(out, chunk.size() + 3);
    out.append(chunk);
}

QString checkChunk(QByteArrayView chunk)
{
    if (chunk.size() > kMaxUploadChunk)
        return QStringLiteral("an upload packet carries at most %1 bytes").arg(kMaxUploadChunk);
    return {};
}

} // namespace

QByteArray serviceUuid()
{
    return QByteArray::fromHex("6B01CB31410611D49A770050DA3F471F");
}

QByteArray connectRequest()
{
    QByteArray p = QByteArray::fromHex("8000001000400646");
    appendU16(p, 3 + 16);
    p.append(serviceUuid());
    return finish(p);
}

QByteArray folderListingRequest()
{
    QByteArray p = start(0x83);
    appendConnectionId(p);
    const QByteArray type = QByteArrayLiteral("x-obex/folder-listing");
    p.append(char(0x42));
    appendU16(p, 3 + type.size() + 1);
    p.append(type);
    p.append('\0');
    return finish(p);
}

QByteArray listingContinuationRequest()
{
    QByteArray p = start(0x83);
    appendConnectionId(p);
    return finish(p);
}

QByteArray folderUpRequest()
{
    QByteArray p = start(0x85);
    p.append(char(0x03));
    p.append('\0');
    appendConnectionId(p);
    return finish(p);
}

QByteArray memoryQuery(MemoryRoot root, int code)
{
    const QString folder = root == MemoryRoot::Mmc ? QStringLiteral("\\mmc") : QStringLiteral("\\user");
    QByteArray name = text::toUtf16BE(folder);
    name.append(2, '\0');
    QByteArray p = start(0x83);
    appendConnectionId(p);
    p.append(char(0x4C));
    appendU16(p, 3 + 2 + 2 + name.size());
    p.append(char(0x32));
    p.append(char(2 + name.size()));
    p.append(char(code == 1 ? 0x01 : 0x02));
    p.append(char(name.size()));
    p.append(name);
    return finish(p);
}

Checked<QByteArray> enterFolderRequest(QStringView name) { return setPath(name, 0x02); }
Checked<QByteArray> createFolderRequest(QStringView name) { return setPath(name, 0x00); }
Checked<QByteArray> getFileRequest(QStringView name) { return namedRequest(0x83, name); }
Checked<QByteArray> deleteRequest(QStringView name) { return namedRequest(0x82, name); }

QString uploadTempName(QStringView fileName)
{
    return QLatin1Char('~') + fileName.toString() + QStringLiteral(".tmp");
}

Checked<QByteArray> firstUploadPacket(QStringView fileName, quint32 fileSize, const QDateTime &now,
                                      QByteArrayView chunk, bool final)
{
    const QString temp = uploadTempName(fileName);
    QString why = checkName(fileName);
    if (why.isEmpty())
        why = checkName(temp);
    if (why.isEmpty())
        why = checkChunk(chunk);
    // The Length header must tell the truth about what the packets carry.
    if (why.isEmpty() && (final ? chunk.size() != qsizetype(fileSize) : chunk.size() >= qsizetype(fileSize)))
        why = QStringLiteral("the first upload packet does not agree with the file size");
    if (!why.isEmpty())
        return Checked<QByteArray>::failure(why);
    QByteArray p = start(final ? 0x82 : 0x02);
    appendConnectionId(p);
    appendNameHeader(p, temp);
    p.append(char(0xC3));
    appendU32(p, fileSize);
    const QByteArray stamp = text::obexTimeStamp(now).toLatin1();
    p.append(char(0x44));
    appendU16(p, 3 + stamp.size());
    p.append(stamp);
    appendBody(p, chunk, final);
    return finish(p);
}

Checked<QByteArray> nextUploadPacket(QByteArrayView chunk, bool final)
{
    if (const QString why = checkChunk(chunk); !why.isEmpty())
        return Checked<QByteArray>::failure(why);
    QByteArray p = start(final ? 0x82 : 0x02);
    appendConnectionId(p);
    appendBody(p, chunk, final);
    return finish(p);
}

Checked<QByteArray> setAttributesRequest(QStringView fileName)
{
    const QString temp = uploadTempName(fileName);
    QString why = checkName(fileName);
    if (why.isEmpty())
        why = checkName(temp);
    if (!why.isEmpty())
        return Checked<QByteArray>::failure(why);
    QByteArray p = start(0x82);
    appendConnectionId(p);
    appendNameHeader(p, temp);
    p.append(QByteArray::fromHex("4C000D380822525744222252" "22"));
    return finish(p);
}

Checked<QByteArray> moveRequest(const QStringList &folder, QStringView oldName, QStringView newName)
{
    QString why = checkName(oldName);
    if (why.isEmpty())
        why = checkName(newName);
    for (const QString &name : folder)
        if (why.isEmpty())
            why = checkName(name);
    if (!why.isEmpty())
        return Checked<QByteArray>::failure(why);
    QString base = QStringLiteral("/");
    for (const QString &name : folder)
        base += name + QLatin1Char('/');
    const QByteArray source = text::toUtf16BE(base + oldName.toString());
    const QByteArray target = text::toUtf16BE(base + newName.toString());
    // Each path sits behind a one-byte length.
    if (source.size() > 255 || target.size() > 255)
        return Checked<QByteArray>::failure(QStringLiteral("the phone path is too long for a move request"));
    QByteArray params;
    params.append(char(0x34));
    params.append(char(4));
    params.append(QByteArrayLiteral("move"));
    params.append(char(0x35));
    params.append(char(source.size()));
    params.append(source);
    params.append(char(0x36));
    params.append(char(target.size()));
    params.append(target);
    QByteArray p = start(0x82);
    appendConnectionId(p);
    p.append(char(0x4C));
    appendU16(p, 3 + params.size());
    p.append(params);
    return finish(p);
}

Checked<QByteArray> finishUploadRequest(const QStringList &folder, QStringView fileName)
{
    if (const QString why = checkName(fileName); !why.isEmpty())
        return Checked<QByteArray>::failure(why);
    return moveRequest(folder, uploadTempName(fileName), fileName);
}

} // namespace vandrel::obex
