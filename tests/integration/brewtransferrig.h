#pragma once
// The BREW operations on the in-process virtual phone: a scripted asker that records every
// question, a message table whose texts are recognisable, and helpers on the phone's disk.
#include "integration/phonerig.h"
#include "link/tst_brew_phone.h"
#include "phone-sim/rig.h"

#include <core/settings/messagetable.h>
#include <link/overwrite.h>

#include <QFile>
#include <QQueue>

namespace brewrig {

using vandrel::link::Answer;

// Answers from a queue (the fallback when it runs dry) and keeps each question's text.
class ScriptedAsker final : public vandrel::link::QuestionAsker {
public:
    QQueue<Answer> overwriteAnswers;
    QQueue<Answer> goOnAnswers;
    Answer fallback = Answer::Yes;
    QStringList overwriteQuestions;
    QStringList goOnQuestions;

    // Recorded as the message number the desktop words the question with.
    QCoro::Task<Answer> askReplace(QString where) override
    {
        overwriteQuestions << where + QStringLiteral("<54>");
        co_return overwriteAnswers.isEmpty() ? fallback : overwriteAnswers.dequeue();
    }
    QCoro::Task<Answer> askGoOn(vandrel::link::GoOnQuestion question, QString subject) override
    {
        using Q = vandrel::link::GoOnQuestion;
        goOnQuestions << (question == Q::DeleteBrewFolder ? QStringLiteral("<223>")
                          : question == Q::NotRemoved     ? subject + QStringLiteral("<52>")
                                                          : subject + QStringLiteral("<82>"));
        co_return goOnAnswers.isEmpty() ? fallback : goOnAnswers.dequeue();
    }
};

// Texts "<N>" for the messages the BREW operations use, so a test sees which one was shown.
inline vandrel::settings::MessageTable markedMessages()
{
    QStringList lines;
    for (int n = 0; n < vandrel::settings::MessageTable::Count; ++n)
        lines << QStringLiteral("<%1>").arg(n);
    vandrel::settings::MessageTable table;
    table.loadLines(lines);
    return table;
}

inline QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

inline bool putFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data) == data.size();
}

// Every entry of a folder, hidden ones and temporary files included.
inline QStringList allEntries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

// The request payloads the client sent on the diagnostic port.
inline QList<QByteArray> sentPayloads(const itest::PhoneRig &rig)
{
    return rig::payloads(rig.diag->written());
}

// The request of an operation with one name field: op, length byte, name, zero byte.
inline QByteArray nameRequest(const char *op, const QByteArray &name)
{
    return QByteArray::fromHex(op) + char(name.size() + 1) + name + '\0';
}

} // namespace brewrig
