#pragma once
// A small BREW file system behind a fake diagnostic port, for session tests: files and folders
// in memory, replies in the phone's layouts, and the faults the tests need. Its own frame code,
// so a client bug cannot hide behind shared code. The full virtual phone lives in src/phone-sim.
#include <channel/fakeserialchannel.h>

#include <QMap>
#include <QRandomGenerator>
#include <QSet>

namespace brewtest {

inline QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// Every byte value, 7D and 7E among them, in an order that shifts from block to block.
inline QByteArray pattern(qsizetype n)
{
    QByteArray b(n, '\0');
    for (qsizetype i = 0; i < n; ++i)
        b[i] = char((i * 7 + i / 256) & 0xFF);
    return b;
}

} // namespace brewtest

class BrewPhone : public QObject {
public:
    enum class Split { Whole, ByteByByte, Trailing, Random };

    vandrel::channel::FakeSerialChannel end;
    QMap<QByteArray, QByteArray> files;  // full name -> contents
    QSet<QByteArray> folders;            // full names without trailing "/"
    QList<QByteArray> requests;          // payloads received, in order
    QList<QByteArray> badFrames;         // frames whose check value was wrong
    Split split = Split::Whole;
    int refuseReads = 0;
    int refuseWrites = 0;
    int damageReplies = 0;               // the next N replies carry a wrong check value
    int silentAfter = -1;                // requests answered before the phone goes quiet
    int hangUpAfter = -1;                // requests answered before the cable is pulled
    QByteArray errorFor;                 // a request starting so is answered 13 + request
    quint32 freeBytes = 123456789;

    // Half of an extra frame that no request asked for; in Trailing mode every reply is sent
    // with the rest of the last one before it and this half after it.
    static QByteArray strayFrame() { return frame(QByteArray::fromHex("290400")); }
    static QByteArray strayHead() { return strayFrame().left(3); }

    explicit BrewPhone(vandrel::channel::FakeSerialChannel *client, quint32 seed = 1) : m_random(seed)
    {
        vandrel::channel::FakeSerialChannel::connectPair(client, &end);
        (void)end.open();
        connect(&end, &vandrel::channel::SerialChannel::readyRead, this, [this] { take(end.readAll()); });
    }

    static quint16 crc(const QByteArray &bytes)
    {
        quint16 c = 0xFFFF;
        for (char ch : bytes) {
            c ^= quint8(ch);
            for (int i = 0; i < 8; ++i)
                c = (c & 1) ? quint16((c >> 1) ^ 0x8408) : quint16(c >> 1);
        }
        return quint16(~c);
    }
    static QByteArray frame(const QByteArray &payload, bool damaged = false)
    {
        quint16 c = crc(payload);
        if (damaged)
            c ^= 0x1234;
        QByteArray out;
        for (char ch : payload + char(c & 0xFF) + char(c >> 8)) {
            if (ch == 0x7D || ch == 0x7E)
                out += QByteArray(1, 0x7D) + char(ch ^ 0x20);
            else
                out += ch;
        }
        return out + char(0x7E);
    }
    static QByteArray le(quint32 v, int n)
    {
        QByteArray out;
        for (int i = 0; i < n; ++i)
            out += char((v >> (8 * i)) & 0xFF);
        return out;
    }

    // Sends a reply as the split mode says.
    void reply(const QByteArray &payload)
    {
        QByteArray bytes = frame(payload, damageReplies > 0 && damageReplies--);
        if (split == Split::Trailing) {
            bytes = (m_strayOpen ? strayFrame().mid(3) : QByteArray()) + bytes + strayHead();
            m_strayOpen = true;
        }
        if (split == Split::Whole || split == Split::Trailing) {
            end.write(bytes);
            return;
        }
        for (qsizetype at = 0; at < bytes.size();) {
            const qsizetype n = split == Split::ByteByByte ? 1 : 1 + m_random.bounded(40);
            end.write(bytes.mid(at, n));
            at += n;
        }
    }

private:
    void take(const QByteArray &bytes)
    {
        m_in += bytes;
        for (qsizetype flag = m_in.indexOf(char(0x7E)); flag >= 0; flag = m_in.indexOf(char(0x7E))) {
            QByteArray raw = m_in.left(flag);
            m_in.remove(0, flag + 1);
            QByteArray plain;
            for (qsizetype i = 0; i < raw.size(); ++i)
                plain += raw[i] == 0x7D && i + 1 < raw.size() ? char(raw[++i] ^ 0x20) : raw[i];
            const QByteArray payload = plain.left(plain.size() - 2);
            if (plain.size() < 3 || quint16(quint8(plain[plain.size() - 2]) | quint8(plain[plain.size() - 1]) << 8) != crc(payload)) {
                badFrames << raw;
                continue;
            }
            requests << payload;
            if (silentAfter >= 0 && requests.size() > silentAfter)
                continue;
            if (hangUpAfter >= 0 && requests.size() > hangUpAfter) {
                end.hangUp();
                return;
            }
            if (!errorFor.isEmpty() && payload.startsWith(errorFor)) {
                reply(char(0x13) + payload);
                continue;
            }
            handle(payload);
        }
    }

    static QByteArray nameAt(const QByteArray &p, int at)
    {
        const int len = quint8(p[at]);
        return p.mid(at + 1, len - 1);
    }
    static QByteArray trimmed(QByteArray name)
    {
        if (name == "/")
            return {};
        while (name.endsWith('/'))
            name.chop(1);
        return name;
    }

    QList<QByteArray> childrenOf(const QByteArray &folder, bool wantFolders) const
    {
        QList<QByteArray> out;
        const QByteArray prefix = folder.isEmpty() ? QByteArray() : folder + '/';
        const auto consider = [&](const QByteArray &full) {
            if (full.startsWith(prefix) && !full.mid(prefix.size()).contains('/') && full.size() > prefix.size())
                out << full;
        };
        if (wantFolders)
            for (const auto &f : folders)
                consider(f);
        else
            for (auto it = files.cbegin(); it != files.cend(); ++it)
                consider(it.key());
        std::sort(out.begin(), out.end());
        return out;
    }

    void handle(const QByteArray &p)
    {
        if (quint8(p[0]) == 0x29) {
            reply(p);
            return;
        }
        const quint8 op = quint8(p[1]);
        switch (op) {
        case 0x0A:
        case 0x0B: {
            const QByteArray folder = trimmed(nameAt(p, 6));
            if (!folder.isEmpty() && !folders.contains(folder)) {
                reply(QByteArray::fromHex(op == 0x0A ? "590A08" : "590B08"));
                return;
            }
            const quint32 seq = quint8(p[2]) | quint8(p[3]) << 8;
            const auto list = childrenOf(folder, op == 0x0A);
            if (seq >= quint32(list.size())) {
                reply(QByteArray::fromHex(op == 0x0A ? "590A1C" : "590B1C"));
                return;
            }
            const QByteArray full = list.at(int(seq));
            QByteArray r = QByteArray::fromHex("59") + char(op) + '\0' + le(seq, 4) + QByteArray(8, '\0');
            r += le(op == 0x0B ? quint32(files.value(full).size()) : 0, 4) + QByteArray(5, '\0');
            reply(r + char(full.size() + 1) + full + '\0');
            return;
        }
        case 0x04:
            if (refuseReads > 0) {
                --refuseReads;
                reply(QByteArray::fromHex("140400"));
                return;
            }
            if (p.size() == 3) {
                const QByteArray block = m_reading.mid(m_readAt, 256);
                m_readAt += block.size();
                reply(QByteArray::fromHex("5904") + p[2] + QByteArray(2, '\0') + le(quint32(block.size()), 2) + block);
                return;
            }
            if (!files.contains(nameAt(p, 3))) {
                reply(QByteArray::fromHex("5904000008"));
                return;
            }
            m_reading = files.value(nameAt(p, 3));
            m_readAt = qMin<qsizetype>(256, m_reading.size());
            reply(QByteArray::fromHex("5904000000") + le(quint32(m_reading.size()), 4) + le(quint32(m_readAt), 2) +
                  m_reading.left(m_readAt));
            return;
        case 0x05:
            if (refuseWrites > 0) {
                --refuseWrites;
                reply(QByteArray::fromHex("140500"));
                return;
            }
            if (p[2] == 0) {
                const int nameLen = quint8(p[12]) << 8 | quint8(p[13]);
                m_writing = p.mid(14, nameLen - 1);
                const int dataLen = quint8(p[14 + nameLen]) | quint8(p[15 + nameLen]) << 8;
                files[m_writing] = p.mid(16 + nameLen, dataLen);
                reply(QByteArray::fromHex("59050000"));
                return;
            }
            files[m_writing] += p.mid(6, quint8(p[4]) | quint8(p[5]) << 8);
            reply(QByteArray::fromHex("590500") + p[2]);
            return;
        case 0x00: {
            const QByteArray name = trimmed(nameAt(p, 2));
            const bool ok = !folders.contains(name) && !files.contains(name);
            if (ok)
                folders << name;
            reply(QByteArray::fromHex(ok ? "590000" : "590007"));
            return;
        }
        case 0x01: {
            const QByteArray name = trimmed(nameAt(p, 2));
            if (!folders.contains(name)) {
                reply(QByteArray::fromHex("590109"));
                return;
            }
            if (!childrenOf(name, true).isEmpty() || !childrenOf(name, false).isEmpty()) {
                reply(QByteArray::fromHex("590103"));
                return;
            }
            folders.remove(name);
            reply(QByteArray::fromHex("590100"));
            return;
        }
        case 0x06:
            reply(QByteArray::fromHex(files.remove(nameAt(p, 2)) ? "590600" : "590609"));
            return;
        case 0x0C:
            reply(QByteArray::fromHex("590C00") + le(freeBytes, 4) + le(freeBytes * 2, 4));
            return;
        default:
            reply(char(0x13) + p);
        }
    }

    QByteArray m_in;
    QByteArray m_reading;
    qsizetype m_readAt = 0;
    QByteArray m_writing;
    bool m_strayOpen = false;
    QRandomGenerator m_random;
};
