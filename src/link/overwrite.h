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

class QuestionAsker {
public:
    virtual ~QuestionAsker() = default;
    // "<destination folder><name><message 54>" with Yes, No, Cancel, Yes to all, No to all.
    virtual QCoro::Task<Answer> askOverwrite(QString text) = 0;
    // A question with Yes, No and Cancel only (such as "could not delete ..., go on?").
    virtual QCoro::Task<Answer> askYesNoCancel(QString text) = 0;
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

    // What to do with one existing destination file.
    QCoro::Task<OverwriteDecision> decide(QString text);

    bool askOverwrite() const { return m_ask; }
    bool skipExisting() const { return m_skipExisting; }
    QuestionAsker &asker() { return m_asker; }

private:
    QuestionAsker &m_asker;
    bool m_ask = true;
    bool m_skipExisting = false;
    Answer m_last = Answer::Yes;
};

// Answers every question the same way (the command line's --overwrite yes / no).
class FixedAsker final : public QuestionAsker {
public:
    explicit FixedAsker(Answer answer) : m_answer(answer) {}
    QCoro::Task<Answer> askOverwrite(QString) override { co_return m_answer; }
    QCoro::Task<Answer> askYesNoCancel(QString) override
    {
        co_return m_answer == Answer::YesToAll ? Answer::Yes : m_answer == Answer::NoToAll ? Answer::No : m_answer;
    }

private:
    Answer m_answer;
};

} // namespace vandrel::link
