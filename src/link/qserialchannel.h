#pragma once
#include "channelnames.h"

#include <QSerialPort>
#include <QTimer>

namespace vandrel::link {

// The user's sentence for a port that would not open; a missing permission names its remedy.
OpenError openErrorFor(QSerialPort::SerialPortError error, const QString &name, const QString &detail);

// A real port (or a pseudo-terminal) through QSerialPort: 8 data bits, no parity, one stop
// bit, no flow control, DTR and RTS off.
class QSerialChannel final : public SerialChannel {
    Q_OBJECT
public:
    explicit QSerialChannel(qint64 bufferSize, QObject *parent = nullptr);
    ~QSerialChannel() override;

    void setPortName(const QString &name) override;
    QString portName() const override { return m_name; }
    void setBaudRate(int speed) override;
    int baudRate() const override { return m_speed; }

    OpenError open() override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }

    bool write(const QByteArray &bytes) override;
    qint64 bytesAvailable() const override { return m_port.isOpen() ? m_port.bytesAvailable() : 0; }
    QByteArray readAll() override;

private:
    void checkHangUp();
    void lose(const QString &reason);

    QSerialPort m_port;
    QString m_name;
    int m_speed = 9600;
    qint64 m_bufferSize;
    // A hung-up pseudo-terminal raises no error in QSerialPort, so the channel looks itself.
    QTimer m_hangUpWatch;
};

} // namespace vandrel::link
