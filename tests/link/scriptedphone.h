#pragma once
// A few lines of phone for link tests: answers AT commands from a table, can stay silent,
// and knows whether it is in OBEX mode. The full virtual phone lives in src/phone-sim.
#include <channel/fakeserialchannel.h>

#include <QMap>
#include <QSet>
#include <functional>

class ScriptedPhone : public QObject {
public:
    vandrel::channel::FakeSerialChannel end;
    bool obexMode = false;
    bool echo = true;
    QMap<QByteArray, QByteArray> answers;  // command -> information lines (without final code)
    QSet<QByteArray> refuse;               // answered with ERROR
    QList<QByteArray> received;            // commands and escapes, in order

    explicit ScriptedPhone(vandrel::channel::FakeSerialChannel *client)
    {
        vandrel::channel::FakeSerialChannel::connectPair(client, &end);
        (void)end.open();
        connect(&end, &vandrel::channel::SerialChannel::readyRead, this, [this] { take(end.readAll()); });
    }

private:
    void take(const QByteArray &bytes)
    {
        m_buffer += bytes;
        for (;;) {
            if (m_buffer.startsWith("+++")) {
                m_buffer.remove(0, 3);
                received << "+++";
                obexMode = false;
                continue;
            }
            const qsizetype cr = m_buffer.indexOf('\r');
            if (cr < 0)
                return;
            const QByteArray cmd = m_buffer.left(cr);
            m_buffer.remove(0, cr + 1);
            received << cmd;
            if (obexMode)
                continue; // packets are not this phone's business
            QByteArray reply = echo ? cmd + "\r" : QByteArray();
            if (refuse.contains(cmd)) {
                reply += "\r\nERROR\r\n";
            } else {
                if (answers.contains(cmd))
                    reply += "\r\n" + answers.value(cmd) + "\r\n";
                reply += "\r\nOK\r\n";
            }
            if (cmd == "ATE1")
                echo = true;
            if (cmd == "AT^SQWE=3")
                obexMode = true;
            end.write(reply);
        }
    }
    QByteArray m_buffer;
};
