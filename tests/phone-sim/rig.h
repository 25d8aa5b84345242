#pragma once
// Test rigs that drive the phone's ports with raw bytes written in the tests themselves.
#include <phone-sim/diagport.h>
#include <phone-sim/modemport.h>
#include <phone-sim/seed.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace rig {

namespace phonesim = vandrel::phonesim;

// The seeded phone is hundreds of small files: on a memory file system where there is one.
inline QString scratchTemplate()
{
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    return (shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath()) + QStringLiteral("/vphone-XXXXXX");
}

// How a request reaches the phone: all at once, one byte at a time, or followed by the start
// of the next request (which must wait untouched for the rest).
enum class Feed { Whole, ByteByByte, Trailing };

inline QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text));
}

// OBEX test helpers, from the protocol layout.
inline QByteArray be16(int v)
{
    return QByteArray(1, char((v >> 8) & 0xFF)) + char(v & 0xFF);
}
inline QByteArray utf16(const QString &s, bool zero = true)
{
    QByteArray out;
    for (QChar c : s)
        out += be16(c.unicode());
    if (zero)
        out += QByteArray(2, '\0');
    return out;
}
inline QByteArray packet(quint8 op, const QByteArray &rest)
{
    return char(op) + be16(int(rest.size() + 3)) + rest;
}
inline const QByteArray cid = QByteArray::fromHex("CB024E804C");
inline const QByteArray uuid = QByteArray::fromHex("6B01CB31410611D49A770050DA3F471F");
inline QByteArray connectRequest()
{
    return hex("80001A10004006460013") + uuid;
}
inline QByteArray listingRequest()
{
    return packet(0x83, cid + hex("420019") + QByteArray("x-obex/folder-listing", 22));
}
inline QByteArray continuation()
{
    return hex("830008CB024E804C");
}
inline QByteArray nameHeader(const QString &name)
{
    const QByteArray n = utf16(name);
    return char(0x01) + be16(int(n.size() + 3)) + n;
}
inline QByteArray setPath(const QString &name, quint8 flags = 0x02)
{
    return packet(0x85, QByteArray(1, char(flags)) + QByteArray(1, '\0') + cid + nameHeader(name));
}
inline QByteArray success(const QByteArray &id = QByteArray::fromHex("024E804C"))
{
    return hex("A00008CB") + id;
}

template <typename FeedFn>
QList<QByteArray> runSession(const QList<QByteArray> &requests, Feed how, FeedFn feed, QByteArray &out)
{
    QList<QByteArray> answers;
    qsizetype alreadyFed = 0;
    for (qsizetype i = 0; i < requests.size(); ++i) {
        out.clear();
        const QByteArray rest = requests[i].mid(alreadyFed);
        alreadyFed = 0;
        if (how == Feed::ByteByByte) {
            for (char c : rest)
                feed(QByteArray(1, c));
        } else if (how == Feed::Trailing && i + 1 < requests.size()) {
            alreadyFed = std::min<qsizetype>(2, requests[i + 1].size() - 1);
            feed(rest + requests[i + 1].left(alreadyFed));
        } else {
            feed(rest);
        }
        answers.append(std::exchange(out, {}));
    }
    return answers;
}

class ModemRig {
public:
    ModemRig()
    {
        phonesim::seedWhenEmpty(dir.path());
        port = std::make_unique<phonesim::ModemPort>(
            dir.path(), rules, anomalies, [this](const QByteArray &b) { out += b; },
            [this] { silent = true; });
    }
    QString obex(const QString &rel) const { return phonesim::obexRootOf(dir.path()) + QLatin1Char('/') + rel; }

    // Feeds a request and returns what the phone answered to it.
    QByteArray ask(const QByteArray &request)
    {
        out.clear();
        port->feed(request);
        return std::exchange(out, {});
    }

    // Feeds requests one after the other and returns the answer to each. With Feed::Trailing
    // every request goes out together with the first bytes of the next one, which the phone
    // must keep untouched until the rest arrives.
    QList<QByteArray> session(const QList<QByteArray> &requests, Feed how)
    {
        return runSession(requests, how, [this](const QByteArray &b) { port->feed(b); }, out);
    }

    // AT mode up to OBEX mode and an accepted connect.
    void enterObex()
    {
        ask("AT^SQWE=3\r");
        ask(connectRequest() + '\r');
    }

    QTemporaryDir dir{scratchTemplate()};
    phonesim::RequestRules rules;
    phonesim::AnomalyLog anomalies;
    std::unique_ptr<phonesim::ModemPort> port;
    QByteArray out;
    bool silent = false;
};

// Diagnostic frames, made here with this file's own check-value code.
inline quint16 crc(const QByteArray &bytes)
{
    quint16 c = 0xFFFF;
    for (char ch : bytes) {
        c ^= quint8(ch);
        for (int i = 0; i < 8; ++i)
            c = (c & 1) ? quint16((c >> 1) ^ 0x8408) : quint16(c >> 1);
    }
    return quint16(c ^ 0xFFFF);
}
inline QByteArray escaped(const QByteArray &bytes)
{
    QByteArray out;
    for (char ch : bytes) {
        if (ch == 0x7D || ch == 0x7E)
            out += QByteArray(1, 0x7D) + char(ch ^ 0x20);
        else
            out += ch;
    }
    return out;
}
inline QByteArray frame(const QByteArray &payload)
{
    const quint16 c = crc(payload);
    return escaped(payload + char(c & 0xFF) + char(c >> 8)) + char(0x7E);
}
// Splits received bytes into unescaped payloads, verifying each check value.
inline QList<QByteArray> payloads(const QByteArray &bytes, bool *crcOk = nullptr)
{
    QList<QByteArray> out;
    if (crcOk)
        *crcOk = true;
    for (const QByteArray &raw : bytes.split(0x7E)) {
        if (raw.isEmpty())
            continue;
        QByteArray f;
        for (qsizetype i = 0; i < raw.size(); ++i)
            f += raw[i] == 0x7D && i + 1 < raw.size() ? char(raw[++i] ^ 0x20) : raw[i];
        const QByteArray p = f.left(f.size() - 2);
        const quint16 got = quint16(quint8(f[f.size() - 2]) | quint8(f[f.size() - 1]) << 8);
        if (crcOk && got != crc(p))
            *crcOk = false;
        out.append(p);
    }
    return out;
}
inline QByteArray le32(quint32 v)
{
    QByteArray out(4, '\0');
    for (int i = 0; i < 4; ++i)
        out[i] = char((v >> (8 * i)) & 0xFF);
    return out;
}
inline QByteArray nameField(const QByteArray &name)
{
    return char(name.size() + 1) + name + '\0';
}

class DiagRig {
public:
    DiagRig()
    {
        phonesim::seedWhenEmpty(dir.path());
        port = std::make_unique<phonesim::DiagPort>(
            phonesim::brewRootOf(dir.path()), rules, anomalies, [this](const QByteArray &b) { out += b; },
            [this] { silent = true; });
    }
    QString brew(const QString &rel) const { return phonesim::brewRootOf(dir.path()) + QLatin1Char('/') + rel; }

    // One request payload, framed; the one reply payload (empty when none came).
    QByteArray ask(const QByteArray &payload) { return session({payload}, Feed::Whole).value(0); }

    // Framed requests one after the other (see ModemRig::session); the reply payload to each.
    QList<QByteArray> session(const QList<QByteArray> &requestPayloads, Feed how)
    {
        QList<QByteArray> frames;
        for (const auto &p : requestPayloads)
            frames.append(frame(p));
        const auto raw = runSession(frames, how, [this](const QByteArray &b) { port->feed(b); }, out);
        QList<QByteArray> replies;
        crcOk = true;
        for (const auto &r : raw) {
            bool ok = false;
            const auto ps = payloads(r, &ok);
            crcOk = crcOk && ok;
            replies.append(ps.size() == 1 ? ps.first() : QByteArray());
        }
        return replies;
    }

    QTemporaryDir dir{scratchTemplate()};
    phonesim::RequestRules rules;
    phonesim::AnomalyLog anomalies;
    std::unique_ptr<phonesim::DiagPort> port;
    QByteArray out;
    bool silent = false;
    bool crcOk = true;
};

inline void addFeedRows(const char *name)
{
    QTest::newRow((QByteArray(name) + " whole").constData()) << int(Feed::Whole);
    QTest::newRow((QByteArray(name) + " bytes").constData()) << int(Feed::ByteByByte);
    QTest::newRow((QByteArray(name) + " trailing").constData()) << int(Feed::Trailing);
}

} // namespace rig
