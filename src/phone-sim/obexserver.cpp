#include "obexserver.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace vandrel::phonesim {

namespace obex {

QList<QByteArray> acceptedConnectionIds()
{
    return {QByteArrayLiteral("\x02\x4E\x80\x4C"), QByteArrayLiteral("\x02\x4C\x51\x1C"),
            QByteArrayLiteral("\x02\x4C\x51\x0C"), QByteArrayLiteral("\x02\x46\x2A\x9F")};
}

QByteArray utf16be(const QString &text, bool terminated)
{
    QByteArray out;
    out.reserve(text.size() * 2 + 2);
    for (QChar c : text) {
        out.append(char(c.unicode() >> 8));
        out.append(char(c.unicode() & 0xFF));
    }
    if (terminated)
        out.append(2, '\0');
    return out;
}

QString fromUtf16be(QByteArrayView bytes)
{
    QString out;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t c = char16_t((quint8(bytes[i]) << 8) | quint8(bytes[i + 1]));
        if (c == 0 && i + 2 >= bytes.size())
            break;
        out.append(QChar(c));
    }
    return out;
}

} // namespace obex

namespace {

constexpr quint8 Continue = 0x90, Success = 0xA0, BadRequest = 0xC0, Forbidden = 0xC3, NotFound = 0xC4,
                 TooLarge = 0xCD, NotImplemented = 0xD1;
constexpr int dataPerPacket = 4096;
const QByteArray listingType = QByteArrayLiteral("x-obex/folder-listing\0");

QByteArray be16(int v)
{
    return QByteArray(1, char((v >> 8) & 0xFF)) + char(v & 0xFF);
}

QByteArray be32(quint32 v)
{
    QByteArray out(4, '\0');
    for (int i = 0; i < 4; ++i)
        out[i] = char((v >> (24 - 8 * i)) & 0xFF);
    return out;
}

QByteArray header2(quint8 id, const QByteArray &value)
{
    return char(id) + be16(int(value.size() + 3)) + value;
}

QString xmlEscape(const QString &s)
{
    QString out;
    for (QChar c : s) {
        switch (c.unicode()) {
        case '&': out += QStringLiteral("&amp;"); break;
        case '<': out += QStringLiteral("&lt;"); break;
        case '>': out += QStringLiteral("&gt;"); break;
        case '"': out += QStringLiteral("&quot;"); break;
        case '\'': out += QStringLiteral("&apos;"); break;
        default: out += c;
        }
    }
    return out;
}

QString stamp(const QDateTime &t)
{
    return t.toString(QStringLiteral("yyyyMMdd'T'HHmmss"));
}

qint64 usedBytes(const QString &folder)
{
    qint64 sum = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        sum += it.fileInfo().size();
    }
    return sum;
}

// By the owner's write bit, not by access(): the phone's protection holds for every user.
bool protectedFile(const QFileInfo &info)
{
    return !info.permissions().testFlag(QFileDevice::WriteOwner);
}

bool containsReadOnly(const QString &path)
{
    QFileInfo info(path);
    if (info.isFile())
        return protectedFile(info);
    QDirIterator it(path, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        if (protectedFile(it.fileInfo()))
            return true;
    }
    return false;
}

} // namespace

ObexServer::ObexServer(QString rootDir, AnomalyLog &anomalies) : m_root(std::move(rootDir)), m_anomalies(anomalies) {}

ObexServer::~ObexServer() = default;

void ObexServer::reset()
{
    m_connected = false;
    m_path.clear();
    m_pendingGet.clear();
    if (m_upload) {
        m_upload->close();
        m_upload.reset();
    }
}

qint64 ObexServer::freeBytes(const QString &top) const
{
    const qint64 cap = top == QLatin1String("mmc") ? m_capacity.mmc : m_capacity.user;
    return std::max<qint64>(0, cap - usedBytes(hostFolder({top})));
}

bool ObexServer::followedByCr(const QByteArray &packet)
{
    const QString name = requestName(packet);
    return name == QLatin1String("obex connect") || name == QLatin1String("obex listing");
}

QString ObexServer::requestName(const QByteArray &packet)
{
    if (packet.isEmpty())
        return {};
    switch (quint8(packet[0])) {
    case 0x80: return QStringLiteral("obex connect");
    case 0x81: return QStringLiteral("obex disconnect");
    case 0x85: return QStringLiteral("obex setpath");
    case 0x03:
    case 0x83:
        if (packet.contains(listingType))
            return QStringLiteral("obex listing");
        if (packet.size() > 9 && quint8(packet[8]) == HAppParams)
            return QStringLiteral("obex memory");
        if (packet.size() == 8)
            return QStringLiteral("obex continue");
        return QStringLiteral("obex get");
    case 0x02:
    case 0x82:
        if (packet.contains(QByteArrayLiteral("\x34\x04move")))
            return QStringLiteral("obex move");
        if (packet.contains(QByteArrayLiteral("\x4C\x00\x0D\x38")))
            return QStringLiteral("obex attributes");
        if (quint8(packet[0]) == 0x82 && !packet.contains(char(HBody)) && !packet.contains(char(HEndOfBody))
            && !packet.contains(char(HLength)))
            return QStringLiteral("obex delete");
        return QStringLiteral("obex put");
    default: return QStringLiteral("obex unknown");
    }
}

bool ObexServer::parseHeaders(const QByteArray &packet, int from, QList<Header> &out)
{
    int i = from;
    while (i < packet.size()) {
        Header h;
        h.id = quint8(packet[i]);
        int len = 0;
        switch (h.id >> 6) {
        case 0:
        case 1:
            if (i + 3 > packet.size())
                return false;
            len = (quint8(packet[i + 1]) << 8) | quint8(packet[i + 2]);
            if (len < 3 || i + len > packet.size())
                return false;
            h.value = packet.mid(i + 3, len - 3);
            break;
        case 2:
            len = 2;
            if (i + len > packet.size())
                return false;
            h.value = packet.mid(i + 1, 1);
            break;
        default:
            len = 5;
            if (i + len > packet.size())
                return false;
            h.value = packet.mid(i + 1, 4);
            break;
        }
        out.append(h);
        i += len;
    }
    return true;
}

const ObexServer::Header *ObexServer::find(const QList<Header> &headers, quint8 id) const
{
    for (const auto &h : headers)
        if (h.id == id)
            return &h;
    return nullptr;
}

bool ObexServer::checkConnectionId(const QList<Header> &headers, const QString &what)
{
    if (headers.isEmpty() || headers.first().id != HConnectionId) {
        m_anomalies.record(QStringLiteral("modem"), what + QStringLiteral(": no Connection-Id first"));
        return false;
    }
    if (headers.first().value != obex::requestConnectionId) {
        m_anomalies.record(QStringLiteral("modem"), what + QStringLiteral(": wrong connection id ")
                                                        + QString::fromLatin1(headers.first().value.toHex(' ')));
        return false;
    }
    return true;
}

QByteArray ObexServer::reply(quint8 code, const QByteArray &headers) const
{
    const QByteArray body = char(HConnectionId) + m_id + headers;
    return char(code) + be16(int(body.size() + 3)) + body;
}

QByteArray ObexServer::handle(const QByteArray &packet)
{
    if (packet.size() < 3)
        return {};
    const quint8 op = quint8(packet[0]);
    if (op != 0x80 && !m_connected && op != 0xFF)
        m_anomalies.record(QStringLiteral("modem"), QStringLiteral("request before OBEX connect"));
    switch (op) {
    case 0x80:
        return onConnect(packet);
    case 0x81:
        reset();
        return reply(Success);
    case 0x85:
        return onSetPath(packet);
    case 0x03:
    case 0x83:
        return onGet(packet);
    case 0x02:
    case 0x82:
        return onPut(packet);
    case 0xFF:
        m_pendingGet.clear();
        if (m_upload) {
            const QString name = m_upload->fileName();
            m_upload->close();
            m_upload.reset();
            QFile::remove(name);
        }
        return reply(Success);
    default:
        m_anomalies.record(QStringLiteral("modem"),
                           QStringLiteral("unknown opcode %1").arg(op, 2, 16, QLatin1Char('0')));
        return reply(NotImplemented);
    }
}

QByteArray ObexServer::onConnect(const QByteArray &packet)
{
    QList<Header> headers;
    if (packet.size() < 7 || !parseHeaders(packet, 7, headers)) {
        m_anomalies.record(QStringLiteral("modem"), QStringLiteral("obex connect: wrong length field"));
        return char(BadRequest) + be16(3);
    }
    const Header *target = find(headers, HTarget);
    if (quint8(packet[3]) != 0x10 || !target || target->value != obex::serviceUuid) {
        m_anomalies.record(QStringLiteral("modem"), QStringLiteral("obex connect: not the file-transfer target"));
        return char(Forbidden) + be16(3);
    }
    const int clientMax = (quint8(packet[5]) << 8) | quint8(packet[6]);
    if (clientMax < 255)
        m_anomalies.record(QStringLiteral("modem"), QStringLiteral("obex connect: maximum packet length below 255"));
    reset();
    m_connected = true;
    // Success, version 1.0, flags 0, the phone's own maximum packet length, Connection-Id, Who.
    QByteArray body = QByteArrayLiteral("\x10\x00") + be16(obex::phoneMaxPacket) + char(HConnectionId) + m_id
        + header2(HWho, obex::serviceUuid);
    return char(Success) + be16(int(body.size() + 3)) + body;
}

QByteArray ObexServer::onSetPath(const QByteArray &packet)
{
    QList<Header> headers;
    if (packet.size() < 5 || !parseHeaders(packet, 5, headers)) {
        m_anomalies.record(QStringLiteral("modem"), QStringLiteral("obex setpath: wrong length field"));
        return reply(BadRequest);
    }
    checkConnectionId(headers, QStringLiteral("obex setpath"));
    const quint8 flags = quint8(packet[3]);
    const Header *name = find(headers, HName);
    if (flags & 0x01) {
        if (m_path.isEmpty())
            return reply(NotFound);
        m_path.removeLast();
        return reply(Success);
    }
    if (!name || name->value.isEmpty()) {
        m_path.clear();
        return reply(Success);
    }
    if (name->value.size() % 2 != 0 || !name->value.endsWith(QByteArray(2, '\0')))
        m_anomalies.record(QStringLiteral("modem"), QStringLiteral("obex setpath: name not terminated UTF-16"));
    const QString folder = obex::fromUtf16be(name->value);
    if (!validName(folder))
        return reply(Forbidden);
    QStringList next = m_path;
    next.append(folder);
    if (m_path.isEmpty()) {
        // The root holds the two memories and nothing else.
        if (folder != QLatin1String("mmc") && folder != QLatin1String("user"))
            return reply((flags & 0x02) ? NotFound : Forbidden);
        m_path = next;
        return reply(Success);
    }
    QFileInfo info(hostFolder(next));
    if (info.isDir()) {
        m_path = next;
        return reply(Success);
    }
    if (info.exists() || (flags & 0x02))
        return reply(NotFound);
    if (!QDir().mkpath(info.absoluteFilePath()))
        return reply(Forbidden);
    m_path = next;
    return reply(Success);
}

QByteArray ObexServer::onGet(const QByteArray &packet)
{
    QList<Header> headers;
    if (!parseHeaders(packet, 3, headers)) {
        m_anomalies.record(QStringLiteral("modem"), QStringLiteral("obex get: wrong length field"));
        return reply(BadRequest);
    }
    checkConnectionId(headers, QStringLiteral("obex get"));
    const Header *type = find(headers, HType);
    const Header *name = find(headers, HName);
    const Header *params = find(headers, HAppParams);
    if (!type && !name && !params)
        return nextGetPacket();

    m_pendingGet.clear();
    if (params)
        return memoryReply(params->value);
    if (type) {
        if (type->value != listingType) {
            m_anomalies.record(QStringLiteral("modem"), QStringLiteral("obex get: unknown type %1")
                                                            .arg(QString::fromLatin1(type->value.toHex(' '))));
            return reply(NotFound);
        }
        const QByteArray xml = listingXml();
        // Body pieces in Continue replies, the last piece as End-of-Body in the final reply.
        for (qsizetype at = 0; at < xml.size(); at += dataPerPacket) {
            const QByteArray piece = xml.mid(at, dataPerPacket);
            const bool last = at + dataPerPacket >= xml.size();
            m_pendingGet.append(reply(last ? Success : Continue, header2(last ? HEndOfBody : HBody, piece)));
        }
        return nextGetPacket();
    }
    const QString fileName = obex::fromUtf16be(name->value);
    if (!validName(fileName) || m_path.isEmpty())
        return reply(NotFound);
    QFile file(hostFolder(m_path) + QLatin1Char('/') + fileName);
    if (QFileInfo(file.fileName()).isDir() || !file.open(QIODevice::ReadOnly))
        return reply(NotFound);
    const QByteArray data = file.readAll();
    // This phone's download layout: Length in the first packet, the data in Body headers of
    // Continue replies, and an empty End-of-Body once the client asks past the end.
    qsizetype at = 0;
    do {
        const QByteArray piece = data.mid(at, dataPerPacket);
        QByteArray headersOut;
        if (at == 0)
            headersOut = char(HLength) + be32(quint32(data.size()));
        headersOut += header2(HBody, piece);
        m_pendingGet.append(reply(Continue, headersOut));
        at += dataPerPacket;
    } while (at < data.size());
    return nextGetPacket();
}

QByteArray ObexServer::nextGetPacket()
{
    if (m_pendingGet.isEmpty()) {
        return reply(Success, header2(HEndOfBody, {}));
    }
    return m_pendingGet.takeFirst();
}

QByteArray ObexServer::memoryReply(const QByteArray &params)
{
    // tag 0x32, length, query code, byte length of the name, "\mmc" or "\user" in UTF-16
    if (params.size() < 4 || quint8(params[0]) != 0x32 || quint8(params[1]) != params.size() - 2
        || quint8(params[3]) != params.size() - 4) {
        m_anomalies.record(QStringLiteral("modem"), QStringLiteral("obex memory: wrong parameter layout"));
        return reply(BadRequest);
    }
    const quint8 code = quint8(params[2]);
    const QString folder = obex::fromUtf16be(params.mid(4));
    if ((code != 1 && code != 2) || (folder != QLatin1String("\\mmc") && folder != QLatin1String("\\user"))
        || !params.endsWith(QByteArray(2, '\0'))) {
        m_anomalies.record(QStringLiteral("modem"), QStringLiteral("obex memory: unknown query"));
        return reply(NotFound);
    }
    const QString top = folder.mid(1);
    const qint64 total = top == QLatin1String("mmc") ? m_capacity.mmc : m_capacity.user;
    const qint64 size = code == 2 ? freeBytes(top) : total;
    // 17 bytes: A0, length, Connection-Id, then one parameter carrying the size.
    return reply(Success, char(HAppParams) + be16(9) + char(code) + char(4) + be32(quint32(size)));
}

QByteArray ObexServer::onPut(const QByteArray &packet)
{
    const bool final = quint8(packet[0]) == 0x82;
    QList<Header> headers;
    if (!parseHeaders(packet, 3, headers)) {
        m_anomalies.record(QStringLiteral("modem"), QStringLiteral("obex put: wrong length field"));
        return reply(BadRequest);
    }
    checkConnectionId(headers, QStringLiteral("obex put"));
    const Header *name = find(headers, HName);
    const Header *params = find(headers, HAppParams);
    const Header *body = find(headers, HBody);
    const Header *end = find(headers, HEndOfBody);
    const Header *length = find(headers, HLength);
    if (params)
        return moveOrAttributes(headers, params->value);
    if (!name)
        return continueUpload(headers, final);
    const QString fileName = obex::fromUtf16be(name->value);
    if (!validName(fileName) || m_path.isEmpty())
        return reply(Forbidden);
    const QString hostPath = hostFolder(m_path) + QLatin1Char('/') + fileName;
    if (!body && !end && !length) {
        if (!final)
            m_anomalies.record(QStringLiteral("modem"), QStringLiteral("obex delete: not a final PUT"));
        QFileInfo info(hostPath);
        if (!info.exists())
            return reply(NotFound);
        if (containsReadOnly(hostPath))
            return reply(Forbidden);
        const bool removed = info.isDir() ? QDir(hostPath).removeRecursively() : QFile::remove(hostPath);
        return reply(removed ? Success : Forbidden);
    }
    // A new upload.
    if (m_upload) {
        m_anomalies.record(QStringLiteral("modem"), QStringLiteral("obex put: new upload before the last one ended"));
        m_upload.reset();
    }
    if (QFileInfo(hostPath).exists() && protectedFile(QFileInfo(hostPath)))
        return reply(Forbidden);
    m_uploadDeclared = -1;
    if (length) {
        const QByteArray &v = length->value;
        m_uploadDeclared = (qint64(quint8(v[0])) << 24) | (quint8(v[1]) << 16) | (quint8(v[2]) << 8) | quint8(v[3]);
        if (m_uploadDeclared > freeBytes(m_path.first()))
            return reply(TooLarge);
    } else {
        m_anomalies.record(QStringLiteral("modem"), QStringLiteral("obex put: upload without Length"));
    }
    m_uploadTime = {};
    if (const Header *time = find(headers, HTime)) {
        m_uploadTime = QDateTime::fromString(QString::fromLatin1(time->value), QStringLiteral("yyyyMMdd'T'HHmmss"));
        if (!m_uploadTime.isValid())
            m_anomalies.record(QStringLiteral("modem"), QStringLiteral("obex put: unreadable Time header"));
    }
    m_upload = std::make_unique<QFile>(hostPath);
    if (!m_upload->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_upload.reset();
        return reply(Forbidden);
    }
    m_uploadReceived = 0;
    return continueUpload(headers, final);
}

QByteArray ObexServer::continueUpload(const QList<Header> &headers, bool final)
{
    if (!m_upload) {
        m_anomalies.record(QStringLiteral("modem"), QStringLiteral("obex put: body without an upload"));
        return reply(BadRequest);
    }
    for (const auto &h : headers) {
        if (h.id == HBody || h.id == HEndOfBody) {
            m_upload->write(h.value);
            m_uploadReceived += h.value.size();
        }
    }
    const bool sawEnd = find(headers, HEndOfBody) != nullptr;
    if (final != sawEnd)
        m_anomalies.record(QStringLiteral("modem"), QStringLiteral("obex put: final bit and End-of-Body disagree"));
    if (!final)
        return reply(Continue);
    const QString path = m_upload->fileName();
    m_upload->close();
    m_upload.reset();
    if (m_uploadDeclared >= 0 && m_uploadDeclared != m_uploadReceived)
        m_anomalies.record(QStringLiteral("modem"), QStringLiteral("obex put: Length %1 but %2 bytes sent")
                                                        .arg(m_uploadDeclared)
                                                        .arg(m_uploadReceived));
    if (m_uploadTime.isValid()) {
        QFile f(path);
        if (f.open(QIODevice::ReadWrite))
            f.setFileTime(m_uploadTime, QFileDevice::FileModificationTime);
    }
    return reply(Success);
}

QByteArray ObexServer::moveOrAttributes(const QList<Header> &headers, const QByteArray &params)
{
    // Tag-length-value parameters with one-byte lengths.
    QList<std::pair<quint8, QByteArray>> tlv;
    for (qsizetype i = 0; i < params.size();) {
        if (i + 2 > params.size() || i + 2 + quint8(params[i + 1]) > params.size()) {
            m_anomalies.record(QStringLiteral("modem"), QStringLiteral("obex put: wrong application parameter length"));
            return reply(BadRequest);
        }
        tlv.append({quint8(params[i]), params.mid(i + 2, quint8(params[i + 1]))});
        i += 2 + quint8(params[i + 1]);
    }
    if (!tlv.isEmpty() && tlv.first().first == 0x38) {
        const Header *name = find(headers, HName);
        if (!name || m_path.isEmpty())
            return reply(BadRequest);
        const QString fileName = obex::fromUtf16be(name->value);
        if (!validName(fileName))
            return reply(Forbidden);
        const QString path = hostFolder(m_path) + QLatin1Char('/') + fileName;
        if (!QFileInfo::exists(path))
            return reply(NotFound);
        // The value is quoted permission groups, the user's first: "RWD" keeps the file writable.
        const QByteArray value = tlv.first().second;
        const qsizetype close = value.indexOf('"', 1);
        const QByteArray user = value.startsWith('"') && close > 0 ? value.mid(1, close - 1) : value;
        QFile::Permissions p = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
        if (user.contains('W'))
            p |= QFile::WriteOwner;
        QFile::setPermissions(path, p);
        return reply(Success);
    }
    if (tlv.size() != 3 || tlv[0].first != 0x34 || tlv[0].second != "move" || tlv[1].first != 0x35
        || tlv[2].first != 0x36) {
        m_anomalies.record(QStringLiteral("modem"), QStringLiteral("obex put: unknown application parameters"));
        return reply(BadRequest);
    }
    auto resolve = [this](const QByteArray &bytes, QString *out) {
        if (bytes.size() % 2 != 0)
            return false;
        const QString path = obex::fromUtf16be(bytes);
        if (!path.startsWith(QLatin1Char('/')))
            return false;
        const QStringList parts = path.mid(1).split(QLatin1Char('/'));
        if (parts.size() < 2 || (parts.first() != QLatin1String("mmc") && parts.first() != QLatin1String("user")))
            return false;
        for (const auto &p : parts)
            if (!validName(p))
                return false;
        *out = hostFolder(parts.mid(0, parts.size() - 1)) + QLatin1Char('/') + parts.last();
        return true;
    };
    QString from, to;
    if (!resolve(tlv[1].second, &from) || !resolve(tlv[2].second, &to)) {
        m_anomalies.record(QStringLiteral("modem"), QStringLiteral("obex move: unreadable path"));
        return reply(Forbidden);
    }
    if (!QFileInfo::exists(from))
        return reply(NotFound);
    if (QFileInfo::exists(to) || protectedFile(QFileInfo(from)))
        return reply(Forbidden);
    return reply(QFile::rename(from, to) ? Success : Forbidden);
}

QByteArray ObexServer::listingXml() const
{
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<!DOCTYPE folder-listing SYSTEM \"obex-folder-listing.dtd\">\n"
                                 "<folder-listing version=\"1.0\">\n");
    if (!m_path.isEmpty())
        xml += QStringLiteral("<parent-folder/>\n");
    const QString folder = hostFolder(m_path);
    const QFileInfoList entries = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::DirsFirst | QDir::Name);
    for (const QFileInfo &e : entries) {
        if (m_path.isEmpty() && e.fileName() != QLatin1String("mmc") && e.fileName() != QLatin1String("user"))
            continue;
        const QString perm = !protectedFile(e) ? QStringLiteral("RWD") : QStringLiteral("R");
        if (e.isDir())
            xml += QStringLiteral("<folder name=\"%1\" modified=\"%2\" user-perm=\"%3\"/>\n")
                       .arg(xmlEscape(e.fileName()), stamp(e.lastModified()), perm);
        else
            xml += QStringLiteral("<file name=\"%1\" size=\"%2\" modified=\"%3\" user-perm=\"%4\"/>\n")
                       .arg(xmlEscape(e.fileName()))
                       .arg(e.size())
                       .arg(stamp(e.lastModified()), perm);
    }
    xml += QStringLiteral("</folder-listing>\n");
    return xml.toUtf8();
}

QString ObexServer::hostFolder(const QStringList &path) const
{
    QString out = m_root;
    for (const auto &p : path)
        out += QLatin1Char('/') + p;
    return out;
}

bool ObexServer::validName(const QString &name) const
{
    const bool ok = !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) && !name.contains(QChar(0));
    if (!ok)
        m_anomalies.record(QStringLiteral("modem"), QStringLiteral("unsafe name \"%1\"").arg(name));
    return ok;
}

} // namespace vandrel::phonesim
