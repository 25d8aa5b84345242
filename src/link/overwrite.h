#pragma once
// The overwrite questions of one copy operation, in both directions and over both links:
// Yes replaces, No skips, Yes to all replaces from now on without asking, No to all skips every
// further existing file, Cancel stops the operation. The GUI answers with the question box,
// the command line with --overwrite.
#include <QCoroTask>
#include <QString>

namespace vandrel::link {

enum class Answer { Yes, No, Cancel, YesToAll, NoToAll };
enum class OverwriteDecision { Replace, Skip, Stop };

// The questions an operation asks besides "replace?": something could not be done, go on?
// (Yes, No, Cancel; only Yes goes on), or the warning before a BREW folder is deleted.
enum class GoOnQuestion {
    NotRemoved,       // <subject> could not be deleted or replaced
    NotSent,          // the phone did not send <subject>
    DeleteBrewFolder, // deleting a BREW folder may break functions of the phone
};

// Asks the user; the GUI words the questions from the message table, the command line in
// English.
class QuestionAsker {
public:
    virtual ~QuestionAsker() = default;
    // <where> (folder and name) exists already: replace it? Yes, No, Cancel, Yes to all, No to all.
    virtual QCoro::Task<Answer> askReplace(QString where) = 0;
    virtual QCoro::Task<Answer> askGoOn(GoOnQuestion question, QString subject) = 0;
};

class OverwriteQuestions {
public:
    explicit OverwriteQuestions(QuestionAsker &asker) : m_asker(asker) {}

    // A new operation: ask again, skip nothing.
    void reset()
    {
        m_ask = true;
        m_skipExisting = false;
    }

    // What to do with one existing destination file, <where> being its folder and name.
    QCoro::Task<OverwriteDecision> decide(QString where);

    bool askOverwrite() const { return m_ask; }
    bool skipExisting() const { return m_skipExisting; }
    QuestionAsker &asker() { return m_asker; }

private:
    QuestionAsker &m_asker;
    bool m_ask = true;
    bool m_skipExisting = false;
    Answer m_last = Answer::Yes;
};

// Answers every question the same way (tests).
class FixedAsker final : public QuestionAsker {
public:
    explicit FixedAsker(Answer answer) : m_answer(answer) {}
    QCoro::Task<Answer> askReplace(QString) override { co_return m_answer; }
    QCoro::Task<Answer> askGoOn(GoOnQuestion, QString) override
    {
        co_return m_answer == Answer::YesToAll ? Answer::Yes : m_answer == Answer::NoToAll ? Answer::No : m_answer;
    }

private:
    Answer m_answer;
};

} // namespace vandrel::link
