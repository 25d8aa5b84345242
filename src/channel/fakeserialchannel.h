#pragma once
#include "serialchannel.h"

#include <QList>
#include <QPointer>

namespace vandrel::channel {

// A port for tests and for the in-process virtual phone: bytes are fed by hand or arrive from
// a linked peer; writes are recorded; a write, an open or the whole link can be made to fail.
class FakeSerialChannel final : public SerialChannel {
    Q_OBJECT
public:
    explicit FakeSerialChannel(QObject *parent = nullptr);

    // Two channels wired back to back: what one writes the other receives (delivered from
    // the event loop, as a driver would).
    static void connectPair(FakeSerialChannel *a, FakeSerialChannel *b);

    void setPortName(const QString &name) override { m_name = name; }
    QString portName() const override { return m_name; }
    void setBaudRate(int speed) override { m_speed = speed; }
    int baudRate() const override { return m_speed; }

    OpenError open() override;
    void close() override;
    bool isOpen() const override { return m_open; }

    bool write(const QByteArray &bytes) override;
    qint64 bytesAvailable() const override { return m_input.size(); }
    QByteArray readAll() override;

    // --- test controls ---
    void feed(const QByteArray &bytes);       // bytes arrive now, readyRead is emitted
    void hangUp();                            // the other end goes away
    void failNextWrite() { m_failWrites = 1; }
    void failWritesAfter(qint64 bytes) { m_failAfterBytes = bytes; }
    // The next `times` opens fail with `error` (-1: every open).
    void failOpen(OpenError error, int times = -1)
    {
        m_openError = std::move(error);
        m_openFailuresLeft = times;
    }
    int openTries() const { return m_openTries; }

    QList<QByteArray> writes() const { return m_writes; }
    QByteArray written() const;               // every write, joined
    void clearWrites() { m_writes.clear(); }
    int openCount() const { return m_openCount; }

private:
    QString m_name = QStringLiteral("fake");
    int m_speed = 9600;
    bool m_open = false;
    int m_openCount = 0;
    int m_openTries = 0;
    int m_openFailuresLeft = 0;
    int m_failWrites = 0;
    qint64 m_failAfterBytes = -1;
    qint64 m_writtenBytes = 0;
    OpenError m_openError;
    QByteArray m_input;
    QList<QByteArray> m_writes;
    QPointer<FakeSerialChannel> m_peer;
};

} // namespace vandrel::channel
