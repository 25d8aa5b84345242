#pragma once
// Messages kept for later in "Odeslat.vdl": one line each, number + " [" + name + "]: " + text.
//
// The file is UTF-8 and begins with a byte-order mark, which files of the old 8-bit format
// never do; only after that mark a backslash escapes: \n and \r stand for line breaks inside
// a text, \\ for a backslash, \[ and \] for brackets inside a number or a name. Old files
// (no mark) read as before: UTF-8 when they are valid UTF-8, else cp1250, no escapes.
#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace vandrel::sms {

inline const QString kQueueFileName = QStringLiteral("Odeslat.vdl");

struct QueuedMessage {
    QString number;
    QString name;
    QString text;
    friend bool operator==(const QueuedMessage &, const QueuedMessage &) = default;
};

// The entry as the queue box shows it.
QString queueLine(const QueuedMessage &m);
// A line of the old format; nothing for a line that is not number " [" name "]: " text.
std::optional<QueuedMessage> parseQueueLine(const QString &line);

// Every message survives unchanged: line breaks, brackets, any character.
QByteArray writeQueueFile(const QList<QueuedMessage> &queue);
// Lines ended by CR LF (or LF); lines that are not queue entries are left out.
QList<QueuedMessage> readQueueFile(QByteArrayView file);

} // namespace vandrel::sms
