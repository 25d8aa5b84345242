#pragma once
// The exchange log: plain lines ("Write..ATE1", "Read..Obex.." + bytes), no levels, no time
// stamps. Emptied at each connect; saved as "log.txt" at exit when logging is on.
#include <QByteArray>
#include <QList>
#include <QString>

namespace vandrel::link {

class ExchangeLog {
public:
    void append(const QByteArray &line) { m_lines.append(line); }
    void append(const QString &line) { m_lines.append(line.toUtf8()); }
    void clear() { m_lines.clear(); }
    const QList<QByteArray> &lines() const { return m_lines; }

    // Replaces `path` atomically; false (and `error`) when it cannot be written.
    bool saveTo(const QString &path, QString *error = nullptr) const;

private:
    QList<QByteArray> m_lines;
};

} // namespace vandrel::link
