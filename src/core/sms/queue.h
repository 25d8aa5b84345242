#pragma once
// Messages kept for later in "Odeslat.vdl": one line each, number + " [" + name + "]: " + text.
#include "core/diag/checked.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace vandrel::sms {

inline const QString kQueueFileName = QStringLiteral("Odeslat.vdl");

struct QueuedMessage {
    QString number;
    QString name;
    QString text;
    friend bool operator==(const QueuedMessage &, const QueuedMessage &) = default;
};

QString queueLine(const QueuedMessage &m);
// Nothing for a line that is not number " [" name "]: " text.
std::optional<QueuedMessage> parseQueueLine(const QString &line);

// A message the queue line cannot hold unchanged (a line break in the text, "]: " in the
// name, " [" in the number, a character cp1250 cannot carry) is refused with the reason.
Checked<QByteArray> writeQueueFile(const QList<QueuedMessage> &queue);
// Lines ended by CR LF; lines that are not queue lines are left out.
QList<QueuedMessage> readQueueFile(QByteArrayView file);

} // namespace vandrel::sms
