#include "common/testmain.h"

#include <link/overwrite.h>

#include <QTest>

using namespace vandrel::link;

namespace {
// Answers from a script, counting the questions.
class ScriptedAsker final : public QuestionAsker {
public:
    QList<Answer> answers;
    QStringList asked;
    QCoro::Task<Answer> askReplace(QString where) override
    {
        asked << where;
        co_return answers.isEmpty() ? Answer::Cancel : answers.takeFirst();
    }
    QCoro::Task<Answer> askGoOn(GoOnQuestion, QString subject) override { co_return co_await askReplace(subject); }
};
} // namespace

Q_DECLARE_METATYPE(QList<vandrel::link::Answer>)
Q_DECLARE_METATYPE(QList<vandrel::link::OverwriteDecision>)

class OverwriteTest : public QObject {
    Q_OBJECT
private slots:
    // Four existing files in one operation: the answers given and what happens to each.
    void answersForAnOperation_data()
    {
        using A = Answer;
        using D = OverwriteDecision;
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<QList<OverwriteDecision>>("decisions");
        QTest::addColumn<int>("questions");
        QTest::newRow("yes each time") << QList<A>{A::Yes, A::Yes, A::Yes, A::Yes}
                                       << QList<D>{D::Replace, D::Replace, D::Replace, D::Replace} << 4;
        QTest::newRow("yes to all") << QList<A>{A::No, A::YesToAll}
                                    << QList<D>{D::Skip, D::Replace, D::Replace, D::Replace} << 2;
        QTest::newRow("no to all") << QList<A>{A::Yes, A::NoToAll}
                                   << QList<D>{D::Replace, D::Skip, D::Skip, D::Skip} << 2;
        QTest::newRow("cancel") << QList<A>{A::No, A::Cancel} << QList<D>{D::Skip, D::Stop} << 2;
    }
    void answersForAnOperation()
    {
        QFETCH(QList<Answer>, answers);
        QFETCH(QList<OverwriteDecision>, decisions);
        QFETCH(int, questions);
        ScriptedAsker asker;
        asker.answers = answers;
        OverwriteQuestions q(asker);
        QList<OverwriteDecision> got;
        for (int i = 0; i < decisions.size(); ++i) {
            got << QCoro::waitFor(q.decide(QStringLiteral("file%1 exists").arg(i)));
            if (got.last() == OverwriteDecision::Stop)
                break;
        }
        QCOMPARE(got, decisions);
        QCOMPARE(asker.asked.size(), questions);
        QCOMPARE(asker.asked.first(), QStringLiteral("file0 exists"));
    }

    void newOperationAsksAgain()
    {
        ScriptedAsker asker;
        asker.answers = {Answer::NoToAll, Answer::Yes};
        OverwriteQuestions q(asker);
        QCOMPARE(QCoro::waitFor(q.decide(QStringLiteral("a"))), OverwriteDecision::Skip);
        QVERIFY(q.skipExisting());
        q.reset();
        QCOMPARE(QCoro::waitFor(q.decide(QStringLiteral("b"))), OverwriteDecision::Replace);
        QCOMPARE(asker.asked.size(), 2);
    }

    void fixedAnswers_data()
    {
        QTest::addColumn<int>("fixed");
        QTest::addColumn<int>("decision");
        QTest::newRow("yes") << int(Answer::Yes) << int(OverwriteDecision::Replace);
        QTest::newRow("no") << int(Answer::No) << int(OverwriteDecision::Skip);
        QTest::newRow("refuse") << int(Answer::Cancel) << int(OverwriteDecision::Stop);
    }
    void fixedAnswers()
    {
        QFETCH(int, fixed);
        QFETCH(int, decision);
        FixedAsker asker{Answer(fixed)};
        OverwriteQuestions q(asker);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(int(QCoro::waitFor(q.decide(QStringLiteral("x")))), decision);
    }
};

VANDREL_TEST(OverwriteTest)
#include "tst_overwrite.moc"
