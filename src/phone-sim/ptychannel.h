#pragma once
// The phone's end of a pseudo-terminal: the master side in raw mode (no echo, no CR/LF
// translation). The client opens the slave through a symbolic link as it would a real port.
// Closing the master is a pulled cable: the client sees a hang-up.
#include <channel/serialchannel.h>

#include <QSocketNotifier>
#include <memory>

namespace vandrel::phonesim {

class PtyChannel final : public channel::SerialChannel {
    Q_OBJECT
public:
    explicit PtyChannel(QObject *parent = nullptr);
    ~PtyChannel() override;

    // The slave's device path ("/dev/pts/N"); empty until open() succeeded.
    QString slavePath() const { return m_slavePath; }

    void setPortName(const QString &name) override { m_name = name; }
    QString portName() const override { return m_name; }
    void setBaudRate(int speed) override { m_speed = speed; }
    int baudRate() const override { return m_speed; }

    // Makes a new pseudo-terminal pair.
    channel::OpenError open() override;
    void close() override;
    bool isOpen() const override { return m_master >= 0; }

    bool write(const QByteArray &bytes) override;
    qint64 bytesAvailable() const override { return m_input.size(); }
    QByteArray readAll() override;

private:
    void readMaster();
    void flushPending();

    QString m_name;
    QString m_slavePath;
    int m_speed = 115200;
    int m_master = -1;
    int m_slaveHold = -1; // keeps the line up while no client has the slave open
    std::unique_ptr<QSocketNotifier> m_readNotifier;
    std::unique_ptr<QSocketNotifier> m_writeNotifier;
    QByteArray m_input;
    QByteArray m_pending;
};

} // namespace vandrel::phonesim
