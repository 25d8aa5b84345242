#pragma once
// The phone's diagnostic port: HDLC-like frames (escaped payload, escaped CRC-16/X-25 low byte
// first, closing 0x7E) carrying the BREW file-system commands (0x59), mode changes (0x29) and
// the display capture (0x4B). Bytes in through feed(), replies out through the send function.
#include "rules.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <functional>
#include <memory>

namespace vandrel::phonesim {

namespace diag {
quint16 crc16x25(QByteArrayView bytes);
// Escaped payload, escaped check value (low byte first), 0x7E.
QByteArray frame(const QByteArray &payload);
// Host file name for a BREW name component (the bytes the client sent) and back: valid
// UTF-8 is kept readable, other bytes are written as %XX.
QString hostName(const QByteArray &brewName);
QByteArray brewName(const QString &hostName);
} // namespace diag

class DiagPort {
public:
    DiagPort(QString brewRoot, RequestRules &rules, AnomalyLog &anomalies,
             std::function<void(const QByteArray &)> send, std::function<void()> goSilent);
    ~DiagPort();

    void feed(const QByteArray &bytes);
    void reset();

    // Mode changes received (the second payload byte of each 0x29 request), in order.
    const QList<int> &modeChanges() const { return m_modes; }
    int resets() const { return m_modes.count(2); }
    bool offline() const { return m_offline; }
    int captures() const { return m_captures; }
    void setTotalSpace(qint64 bytes) { m_total = bytes; }
    qint64 freeSpace() const;

    static QString requestName(const QByteArray &payload);

private:
    void handle(const QByteArray &payload);
    void reply(const QByteArray &payload);
    void brew(const QByteArray &payload);
    void list(const QByteArray &payload, bool folders);
    void readFirst(const QByteArray &payload);
    void readNext(const QByteArray &payload);
    void writeFirst(const QByteArray &payload);
    void writeNext(const QByteArray &payload);
    void makeFolder(const QByteArray &payload);
    void removeFolder(const QByteArray &payload);
    void removeFile(const QByteArray &payload);
    void capture(const QByteArray &payload);
    // A name field at `at`: length byte (name + terminating zero), name, zero.
    bool nameField(const QByteArray &payload, int at, QByteArray *name, const QString &what);
    // The host path of a BREW name ("brew/mod/x"; "/" or "" is the root); empty when unsafe.
    QString hostPath(const QByteArray &name, const QString &what);
    QByteArray readBlock(bool first);
    void anomaly(const QString &what);

    QString m_root;
    RequestRules &m_rules;
    AnomalyLog &m_anomalies;
    std::function<void(const QByteArray &)> m_send;
    std::function<void()> m_goSilent;
    QByteArray m_in;
    QList<int> m_modes;
    bool m_offline = false;
    int m_captures = 0;
    qint64 m_total = 48LL * 1024 * 1024;
    // read in progress
    QByteArray m_readData;
    qint64 m_readOffset = 0;
    int m_readSeq = 0;
    QByteArray m_lastReadReply;
    bool m_reading = false;
    // write in progress
    std::unique_ptr<QFile> m_write;
    qint64 m_writeTotal = 0;
    qint64 m_writeReceived = 0;
    int m_writeSeq = 0;
};

} // namespace vandrel::phonesim
