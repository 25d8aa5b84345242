#pragma once
// The phone's OBEX side: one complete request packet in, one reply packet out, over the
// folders "mmc" and "user" below the phone's root folder. It answers the way this phone does
// (the Connection-Id in every reply, its download layout, its vendor application parameters),
// and notes every request that breaks the layouts the client is meant to send.
#include "rules.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

namespace vandrel::phonesim {

namespace obex {
inline constexpr int phoneMaxPacket = 0x10AA;      // announced in the connect reply
inline const QByteArray requestConnectionId = QByteArrayLiteral("\x02\x4E\x80\x4C");
inline const QByteArray serviceUuid =
    QByteArrayLiteral("\x6B\x01\xCB\x31\x41\x06\x11\xD4\x9A\x77\x00\x50\xDA\x3F\x47\x1F");
// The ids this phone may hand out (all of them are ones the client recognises).
QList<QByteArray> acceptedConnectionIds();

QByteArray utf16be(const QString &text, bool terminated);
QString fromUtf16be(QByteArrayView bytes); // a trailing zero character is dropped
} // namespace obex

class ObexServer {
public:
    struct Capacity {
        qint64 mmc = 128LL * 1024 * 1024;
        qint64 user = 16LL * 1024 * 1024;
    };

    ObexServer(QString rootDir, AnomalyLog &anomalies);
    ~ObexServer();

    void setConnectionId(const QByteArray &id) { m_id = id; }
    QByteArray connectionId() const { return m_id; }
    void setCapacity(Capacity c) { m_capacity = c; }

    // A complete packet; the reply to send back (empty: none).
    QByteArray handle(const QByteArray &packet);
    // Whether the client follows this request with a carriage return.
    static bool followedByCr(const QByteArray &packet);
    // The name the test controls know this request by ("obex connect", "obex listing", ...).
    static QString requestName(const QByteArray &packet);
    // Leaving OBEX mode ends the session: path, pending replies and uploads are forgotten.
    void reset();

    QStringList currentPath() const { return m_path; }
    qint64 freeBytes(const QString &top) const;

private:
    struct Header {
        quint8 id = 0;
        QByteArray value;
    };
    enum : quint8 {
        HName = 0x01, HType = 0x42, HTime = 0x44, HTarget = 0x46, HBody = 0x48, HEndOfBody = 0x49,
        HWho = 0x4A, HAppParams = 0x4C, HConnectionId = 0xCB, HLength = 0xC3,
    };

    bool parseHeaders(const QByteArray &packet, int from, QList<Header> &out);
    const Header *find(const QList<Header> &headers, quint8 id) const;
    bool checkConnectionId(const QList<Header> &headers, const QString &what);
    QByteArray reply(quint8 code, const QByteArray &headers = {}) const;
    QByteArray onConnect(const QByteArray &packet);
    QByteArray onSetPath(const QByteArray &packet);
    QByteArray onGet(const QByteArray &packet);
    QByteArray onPut(const QByteArray &packet);
    QByteArray nextGetPacket();
    QByteArray listingXml() const;
    QByteArray memoryReply(const QByteArray &params);
    QByteArray moveOrAttributes(const QList<Header> &headers, const QByteArray &params);
    QByteArray continueUpload(const QList<Header> &headers, bool final);

    QString hostFolder(const QStringList &path) const;
    bool validName(const QString &name) const;
    QString topOf(const QStringList &path) const { return path.isEmpty() ? QString() : path.first(); }

    QString m_root;
    AnomalyLog &m_anomalies;
    QByteArray m_id = obex::requestConnectionId;
    Capacity m_capacity;
    bool m_connected = false;
    QStringList m_path;
    QList<QByteArray> m_pendingGet; // packets still to send for the GET in progress
    // upload in progress
    std::unique_ptr<QFile> m_upload;
    qint64 m_uploadDeclared = -1;
    qint64 m_uploadReceived = 0;
    QDateTime m_uploadTime;
};

} // namespace vandrel::phonesim
