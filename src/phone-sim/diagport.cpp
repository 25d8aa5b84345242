#include "diagport.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace vandrel::phonesim {

namespace diag {

quint16 crc16x25(QByteArrayView bytes)
{
    quint16 crc = 0xFFFF;
    for (char c : bytes) {
        crc ^= quint8(c);
        for (int i = 0; i < 8; ++i)
            crc = (crc & 1) ? quint16((crc >> 1) ^ 0x8408) : quint16(crc >> 1);
    }
    return quint16(~crc);
}

namespace {
void appendEscaped(QByteArray &out, char c)
{
    if (c == 0x7D || c == 0x7E) {
        out.append(char(0x7D));
        out.append(char(c ^ 0x20));
    } else {
        out.append(c);
    }
}

QByteArray frameWithCrc(const QByteArray &payload, quint16 crc)
{
    QByteArray out;
    out.reserve(payload.size() + payload.size() / 8 + 5);
    for (char c : payload)
        appendEscaped(out, c);
    appendEscaped(out, char(crc & 0xFF));
    appendEscaped(out, char(crc >> 8));
    out.append(char(0x7E));
    return out;
}
} // namespace

QByteArray frame(const QByteArray &payload)
{
    return frameWithCrc(payload, crc16x25(payload));
}

QString hostName(const QByteArray &brewName)
{
    if (QString::fromUtf8(brewName).toUtf8() == brewName)
        return QString::fromUtf8(brewName).replace(QLatin1String("%"), QLatin1String("%25"));
    QString out;
    for (char c : brewName) {
        const quint8 b = quint8(c);
        if (b == '%' || b >= 0x80)
            out += QLatin1Char('%') + QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
        else
            out += QLatin1Char(c);
    }
    return out;
}

QByteArray brewName(const QString &hostName)
{
    const QByteArray utf8 = hostName.toUtf8();
    QByteArray out;
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        bool ok = false;
        const int v = utf8[i] == '%' && i + 2 < utf8.size() ? utf8.mid(i + 1, 2).toInt(&ok, 16) : 0;
        if (ok) {
            out.append(char(v));
            i += 2;
        } else {
            out.append(utf8[i]);
        }
    }
    return out;
}

} // namespace diag

namespace {

QByteArray le16(int v)
{
    return QByteArray(1, char(v & 0xFF)) + char((v >> 8) & 0xFF);
}

QByteArray le32(quint32 v)
{
    QByteArray out(4, '\0');
    for (int i = 0; i < 4; ++i)
        out[i] = char((v >> (8 * i)) & 0xFF);
    return out;
}

quint32 readLe32(const QByteArray &b, int at)
{
    quint32 v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | quint8(b[at + i]);
    return v;
}

QByteArray payload(std::initializer_list<int> bytes)
{
    QByteArray out;
    for (int b : bytes)
        out.append(char(b));
    return out;
}

constexpr int blockSize = 256;
const QByteArray captureRequest =
    QByteArrayLiteral("\x4B\x10\x01\x00\x00\x00\x00\x00\x00\xFF\xFF\xFF\xFF\x00") + QByteArrayLiteral("DispCapture.bmp")
    + QByteArray(1, '\0');

// A 240 x 320 picture of the phone's screen, 24 bits, bottom-up rows.
QByteArray screenBitmap(int shot)
{
    const int w = 240, h = 320, row = w * 3;
    const int imageSize = row * h;
    QByteArray bmp;
    bmp += QByteArrayLiteral("BM") + le32(quint32(54 + imageSize)) + le32(0) + le32(54);
    bmp += le32(40) + le32(w) + le32(h) + le16(1) + le16(24) + le32(0) + le32(quint32(imageSize)) + le32(2835)
        + le32(2835) + le32(0) + le32(0);
    QByteArray pixels(imageSize, '\0');
    for (int y = 0; y < h; ++y) {
        const int screenY = h - 1 - y;
        for (int x = 0; x < w; ++x) {
            char *p = pixels.data() + y * row + x * 3;
            const bool statusBar = screenY < 20;
            const bool tile = ((x / 40 + screenY / 40 + shot) % 5) == 0;
            p[0] = char(statusBar ? 40 : tile ? 230 : 128 + screenY / 3); // blue
            p[1] = char(statusBar ? 40 : tile ? 180 : 60 + x / 2);        // green
            p[2] = char(statusBar ? 40 : tile ? 40 : (shot * 37) & 0xFF); // red
        }
    }
    return bmp + pixels;
}

} // namespace

DiagPort::DiagPort(QString brewRoot, RequestRules &rules, AnomalyLog &anomalies,
                   std::function<void(const QByteArray &)> send, std::function<void()> goSilent)
    : m_root(std::move(brewRoot)), m_rules(rules), m_anomalies(anomalies), m_send(std::move(send)),
      m_goSilent(std::move(goSilent))
{
}

DiagPort::~DiagPort() = default;

void DiagPort::reset()
{
    m_in.clear();
    m_reading = false;
    m_readData.clear();
    m_write.reset();
}

void DiagPort::anomaly(const QString &what)
{
    m_anomalies.record(QStringLiteral("diag"), what);
}

qint64 DiagPort::freeSpace() const
{
    qint64 used = 0;
    QDirIterator it(m_root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        used += it.fileInfo().size();
    }
    return std::max<qint64>(0, m_total - used);
}

QString DiagPort::requestName(const QByteArray &payload)
{
    if (payload.isEmpty())
        return QStringLiteral("diag unknown");
    switch (quint8(payload[0])) {
    case 0x29: return QStringLiteral("diag mode");
    case 0x4B: return QStringLiteral("diag capture");
    case 0x59: break;
    default: return QStringLiteral("diag unknown");
    }
    switch (payload.size() > 1 ? quint8(payload[1]) : 0xFF) {
    case 0x0A: return QStringLiteral("diag list folders");
    case 0x0B: return QStringLiteral("diag list files");
    case 0x04: return QStringLiteral("diag read");
    case 0x05: return QStringLiteral("diag write");
    case 0x00: return QStringLiteral("diag mkdir");
    case 0x01: return QStringLiteral("diag rmdir");
    case 0x06: return QStringLiteral("diag remove");
    case 0x0C: return QStringLiteral("diag free space");
    default: return QStringLiteral("diag unknown");
    }
}

void DiagPort::feed(const QByteArray &bytes)
{
    m_in.append(bytes);
    for (qsizetype end = m_in.indexOf(char(0x7E)); end >= 0; end = m_in.indexOf(char(0x7E))) {
        const QByteArray raw = m_in.left(end);
        m_in.remove(0, end + 1);
        if (raw.isEmpty()) {
            anomaly(QStringLiteral("empty frame (a flag before the frame)"));
            continue;
        }
        QByteArray frame;
        frame.reserve(raw.size());
        bool broken = false;
        for (qsizetype i = 0; i < raw.size(); ++i) {
            if (raw[i] != char(0x7D)) {
                frame.append(raw[i]);
                continue;
            }
            if (i + 1 >= raw.size()) {
                broken = true;
                break;
            }
            const char next = raw[++i];
            if (next != 0x5D && next != 0x5E)
                anomaly(QStringLiteral("escape of a byte that needs none"));
            frame.append(char(next ^ 0x20));
        }
        if (broken || frame.size() < 3) {
            anomaly(QStringLiteral("frame too short or cut escape"));
            reply(QByteArray(1, char(0x13)) + frame);
            continue;
        }
        const QByteArray body = frame.left(frame.size() - 2);
        const quint16 got = quint16(quint8(frame[frame.size() - 2]) | (quint8(frame[frame.size() - 1]) << 8));
        if (got != diag::crc16x25(body)) {
            // Real phones answer a frame they cannot trust as a bad command.
            anomaly(QStringLiteral("bad CRC on %1").arg(requestName(body)));
            reply(QByteArray(1, char(0x13)) + frame);
            continue;
        }
        if (m_rules.silentAtDiag.contains(requestName(body))) {
            m_goSilent();
            continue;
        }
        handle(body);
    }
    if (m_in.size() > 64 * 1024) {
        anomaly(QStringLiteral("no closing flag"));
        m_in.clear();
    }
}

void DiagPort::reply(const QByteArray &payload)
{
    if (m_rules.badCrcAnswers > 0) {
        --m_rules.badCrcAnswers;
        m_send(diag::frameWithCrc(payload, quint16(diag::crc16x25(payload) ^ 0x5A5A)));
        return;
    }
    m_send(diag::frame(payload));
}

void DiagPort::handle(const QByteArray &p)
{
    switch (quint8(p[0])) {
    case 0x29:
        if (p.size() != 3 || p[2] != 0)
            anomaly(QStringLiteral("mode change of unexpected layout"));
        if (p.size() >= 2) {
            const int mode = quint8(p[1]);
            m_modes.append(mode);
            if (mode == 1 || mode == 5)
                m_offline = true;
            else if (mode == 2 || mode == 4)
                m_offline = false;
        }
        reply(p);
        return;
    case 0x4B:
        capture(p);
        return;
    case 0x59:
        if (p.size() >= 2) {
            brew(p);
            return;
        }
        break;
    default:
        break;
    }
    anomaly(QStringLiteral("unknown command %1").arg(QString::fromLatin1(p.left(4).toHex(' '))));
    reply(QByteArray(1, char(0x13)) + p);
}

bool DiagPort::nameField(const QByteArray &p, int at, QByteArray *name, const QString &what)
{
    if (at >= p.size()) {
        anomaly(what + QStringLiteral(": no name field"));
        return false;
    }
    const int len = quint8(p[at]);
    if (len < 1 || at + 1 + len > p.size() || p[at + len] != '\0') {
        anomaly(what + QStringLiteral(": name length byte does not fit"));
        return false;
    }
    *name = p.mid(at + 1, len - 1);
    if (name->contains('\0')) {
        anomaly(what + QStringLiteral(": zero byte inside the name"));
        return false;
    }
    if (at + 1 + len != p.size())
        anomaly(what + QStringLiteral(": bytes after the name"));
    return true;
}

QString DiagPort::hostPath(const QByteArray &name, const QString &what)
{
    QByteArray n = name;
    if (n == "/")
        n.clear();
    if (n.endsWith('/'))
        n.chop(1);
    if (n.startsWith('/')) {
        anomaly(what + QStringLiteral(": name with a leading \"/\""));
        n.remove(0, 1);
    }
    QString out = m_root;
    if (n.isEmpty())
        return out;
    for (const QByteArray &part : n.split('/')) {
        if (part.isEmpty() || part == "." || part == ".." || part.contains('\\')) {
            anomaly(what + QStringLiteral(": unsafe name \"%1\"").arg(QString::fromLatin1(name)));
            return {};
        }
        out += QLatin1Char('/') + diag::hostName(part);
    }
    return out;
}

void DiagPort::brew(const QByteArray &p)
{
    switch (quint8(p[1])) {
    case 0x0A: return list(p, true);
    case 0x0B: return list(p, false);
    case 0x04: return p.size() == 3 ? readNext(p) : readFirst(p);
    case 0x05: return p.size() >= 3 && p[2] != 0 ? writeNext(p) : writeFirst(p);
    case 0x00: return makeFolder(p);
    case 0x01: return removeFolder(p);
    case 0x06: return removeFile(p);
    case 0x0C:
        if (p != payload({0x59, 0x0C, 0x01}))
            anomaly(QStringLiteral("free space request of unexpected layout"));
        reply(payload({0x59, 0x0C, 0x00}) + le32(quint32(freeSpace())) + le32(quint32(m_total)));
        return;
    default:
        anomaly(QStringLiteral("unknown file-system operation %1").arg(quint8(p[1]), 2, 16, QLatin1Char('0')));
        reply(QByteArray(1, char(0x13)) + p);
    }
}

void DiagPort::list(const QByteArray &p, bool folders)
{
    const QString what = folders ? QStringLiteral("list folders") : QStringLiteral("list files");
    const char op = p[1];
    QByteArray name;
    if (p.size() < 7 || !nameField(p, 6, &name, what)) {
        reply(payload({0x59, quint8(op), 0x08}));
        return;
    }
    if (p[4] != 0 || p[5] != 0)
        anomaly(what + QStringLiteral(": sequence number beyond two bytes"));
    // Any sequence number is served, also one the client skipped to.
    const quint32 seq = readLe32(p, 2);
    const QString folder = hostPath(name, what);
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        reply(payload({0x59, quint8(op), 0x08}));
        return;
    }
    const QFileInfoList entries = QDir(folder).entryInfoList(
        (folders ? QDir::Dirs : QDir::Files) | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    if (seq >= quint32(entries.size())) {
        reply(payload({0x59, quint8(op), 0x1C}));
        return;
    }
    const QFileInfo &e = entries.at(int(seq));
    QByteArray prefix = name;
    if (prefix == "/")
        prefix.clear();
    if (!prefix.isEmpty() && !prefix.endsWith('/'))
        prefix += '/';
    const QByteArray full = prefix + diag::brewName(e.fileName());
    const quint32 mtime = quint32(std::max<qint64>(0, e.lastModified().toSecsSinceEpoch() - 315964800)); // since 1980
    QByteArray out = payload({0x59, quint8(op), 0x00}) + le32(seq) + le32(folders ? 0x01 : 0x00) + le32(mtime)
        + le32(folders ? 0 : quint32(e.size())) + QByteArray(5, '\0');
    out += char(std::min<qsizetype>(full.size() + 1, 255));
    out += full.left(254) + QByteArray(1, '\0');
    reply(out);
}

QByteArray DiagPort::readBlock(bool first)
{
    const QByteArray data = m_readData.mid(m_readOffset, blockSize);
    m_readOffset += data.size();
    const char more = m_readOffset < m_readData.size() ? 1 : 0;
    QByteArray out = payload({0x59, 0x04});
    out += char(m_readSeq & 0xFF);
    out += more;
    out += char(0); // status
    if (first)
        out += le32(quint32(m_readData.size()));
    out += le16(int(data.size())) + data;
    return out;
}

void DiagPort::readFirst(const QByteArray &p)
{
    if (m_rules.refuseReads > 0) {
        --m_rules.refuseReads;
        m_reading = false;
        reply(payload({0x14, 0x04, 0x00}));
        return;
    }
    QByteArray name;
    m_reading = false;
    if (p[2] != 0)
        anomaly(QStringLiteral("read: first block with a sequence number"));
    if (!nameField(p, 3, &name, QStringLiteral("read"))) {
        reply(payload({0x59, 0x04, 0x00, 0x00, 0x08}));
        return;
    }
    const QString path = hostPath(name, QStringLiteral("read"));
    QFile f(path);
    if (path.isEmpty() || QFileInfo(path).isDir() || !f.open(QIODevice::ReadOnly)) {
        reply(payload({0x59, 0x04, 0x00, 0x00, 0x08})); // no such file
        return;
    }
    m_readData = f.readAll();
    m_readOffset = 0;
    m_readSeq = 0;
    m_reading = true;
    m_lastReadReply = readBlock(true);
    reply(m_lastReadReply);
}

void DiagPort::readNext(const QByteArray &p)
{
    if (m_rules.refuseReads > 0) {
        --m_rules.refuseReads;
        m_reading = false;
        reply(payload({0x14, 0x04, quint8(p[2])}));
        return;
    }
    const int seq = quint8(p[2]);
    if (!m_reading) {
        anomaly(QStringLiteral("read: next block without a read in progress"));
        reply(payload({0x59, 0x04, quint8(seq), 0x00, 0x08}));
        return;
    }
    if (seq == m_readSeq && seq != 0) {
        reply(m_lastReadReply); // asked again: the same block
        return;
    }
    const int expected = m_readSeq == 255 ? 1 : m_readSeq + 1;
    if (seq != expected)
        anomaly(QStringLiteral("read: sequence %1 where %2 was due").arg(seq).arg(expected));
    if (m_readOffset >= m_readData.size())
        anomaly(QStringLiteral("read: block asked for past the end of the file"));
    m_readSeq = seq;
    m_lastReadReply = readBlock(false);
    reply(m_lastReadReply);
}

void DiagPort::writeFirst(const QByteArray &p)
{
    m_write.reset();
    if (m_rules.refuseWrites > 0) {
        --m_rules.refuseWrites;
        reply(payload({0x14, 0x05, 0x00}));
        return;
    }
    const QString what = QStringLiteral("write");
    if (p.size() < 16 || p[4] != 1 || p[9] != char(0xFF) || p[10] != 0 || p[11] != 1) {
        anomaly(what + QStringLiteral(": first block of unexpected layout"));
        reply(payload({0x59, 0x05, 0x08}));
        return;
    }
    const int nameLen = (quint8(p[12]) << 8) | quint8(p[13]);
    if (nameLen < 1 || 14 + nameLen + 2 > p.size() || p[14 + nameLen - 1] != '\0') {
        anomaly(what + QStringLiteral(": name length does not fit"));
        reply(payload({0x59, 0x05, 0x08}));
        return;
    }
    const QByteArray name = p.mid(14, nameLen - 1);
    const int dataLen = quint8(p[14 + nameLen]) | (quint8(p[15 + nameLen]) << 8);
    const QByteArray data = p.mid(16 + nameLen);
    const qint64 total = readLe32(p, 5);
    if (dataLen != data.size() || dataLen > blockSize || dataLen != std::min<qint64>(total, blockSize))
        anomaly(what + QStringLiteral(": data length %1 with %2 bytes of a %3-byte file")
                           .arg(dataLen)
                           .arg(data.size())
                           .arg(total));
    if ((p[3] != 0) != (total >= blockSize))
        anomaly(what + QStringLiteral(": more flag of the first block"));
    const QString path = hostPath(name, what);
    if (path.isEmpty() || name.isEmpty() || !QFileInfo(QFileInfo(path).absolutePath()).isDir()
        || QFileInfo(path).isDir() || total > freeSpace() + QFileInfo(path).size()) {
        reply(payload({0x59, 0x05, 0x08}));
        return;
    }
    m_write = std::make_unique<QFile>(path);
    if (!m_write->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_write.reset();
        reply(payload({0x59, 0x05, 0x08}));
        return;
    }
    m_writeTotal = total;
    m_writeSeq = 0;
    m_writeReceived = 0;
    const QByteArray part = data.left(qsizetype(std::min<qint64>(data.size(), total)));
    m_write->write(part);
    m_writeReceived = part.size();
    if (m_writeReceived >= m_writeTotal)
        m_write->close();
    reply(payload({0x59, 0x05, 0x00, 0x00}));
}

void DiagPort::writeNext(const QByteArray &p)
{
    const int seq = quint8(p[2]);
    if (m_rules.refuseWrites > 0) {
        --m_rules.refuseWrites;
        if (m_write) {
            const QString name = m_write->fileName();
            m_write.reset();
            if (!m_rules.keepPartialWrites)
                QFile::remove(name); // a refused write leaves no half file behind
        }
        reply(payload({0x14, 0x05, quint8(seq)}));
        return;
    }
    if (!m_write) {
        anomaly(QStringLiteral("write: next block without a write in progress"));
        reply(payload({0x59, 0x05, 0x08}));
        return;
    }
    const int expected = m_writeSeq == 255 ? 1 : m_writeSeq + 1;
    if (seq != expected)
        anomaly(QStringLiteral("write: sequence %1 where %2 was due").arg(seq).arg(expected));
    m_writeSeq = seq;
    if (p.size() < 6) {
        anomaly(QStringLiteral("write: next block of unexpected layout"));
        reply(payload({0x59, 0x05, 0x08}));
        return;
    }
    const int len = quint8(p[4]) | (quint8(p[5]) << 8);
    const QByteArray data = p.mid(6);
    const qint64 remaining = m_writeTotal - m_writeReceived;
    if (len != data.size() || len > blockSize || len > remaining)
        anomaly(QStringLiteral("write: block of %1 bytes (%2 sent, %3 still due)").arg(len).arg(data.size()).arg(remaining));
    if ((p[3] != 0) != (remaining >= blockSize))
        anomaly(QStringLiteral("write: more flag with %1 bytes still due").arg(remaining));
    const QByteArray part = data.left(qsizetype(std::max<qint64>(0, std::min<qint64>(data.size(), remaining))));
    if (m_write->isOpen())
        m_write->write(part);
    m_writeReceived += part.size();
    if (m_writeReceived >= m_writeTotal && m_write->isOpen())
        m_write->close();
    reply(payload({0x59, 0x05, 0x00, quint8(seq)}));
}

void DiagPort::makeFolder(const QByteArray &p)
{
    QByteArray name;
    const QString path = nameField(p, 2, &name, QStringLiteral("mkdir")) ? hostPath(name, QStringLiteral("mkdir"))
                                                                         : QString();
    const QFileInfo info(path);
    const bool ok = !path.isEmpty() && !name.isEmpty() && !info.exists() && QFileInfo(info.absolutePath()).isDir()
        && QDir().mkdir(path);
    reply(payload({0x59, 0x00, ok ? 0x00 : 0x07}));
}

void DiagPort::removeFolder(const QByteArray &p)
{
    QByteArray name;
    const QString path = nameField(p, 2, &name, QStringLiteral("rmdir")) ? hostPath(name, QStringLiteral("rmdir"))
                                                                         : QString();
    if (path.isEmpty() || name.isEmpty() || !QFileInfo(path).isDir()) {
        reply(payload({0x59, 0x01, 0x09}));
        return;
    }
    if (!QDir(path).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden) || !QDir().rmdir(path)) {
        reply(payload({0x59, 0x01, 0x03}));
        return;
    }
    reply(payload({0x59, 0x01, 0x00}));
}

void DiagPort::removeFile(const QByteArray &p)
{
    QByteArray name;
    const QString path = nameField(p, 2, &name, QStringLiteral("remove")) ? hostPath(name, QStringLiteral("remove"))
                                                                          : QString();
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile()) {
        reply(payload({0x59, 0x06, 0x09}));
        return;
    }
    if (!info.permissions().testFlag(QFileDevice::WriteOwner) || !QFile::remove(path)) {
        reply(payload({0x59, 0x06, 0x03}));
        return;
    }
    reply(payload({0x59, 0x06, 0x00}));
}

void DiagPort::capture(const QByteArray &p)
{
    if (p != captureRequest)
        anomaly(QStringLiteral("capture request of unexpected layout"));
    QFile f(m_root + QStringLiteral("/DispCapture.bmp"));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(screenBitmap(m_captures));
    f.close();
    ++m_captures;
    // The phone writes the file first, then acknowledges.
    reply(p);
}

} // namespace vandrel::phonesim
