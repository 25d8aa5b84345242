#include "overwrite.h"

namespace vandrel::link {

QCoro::Task<OverwriteDecision> OverwriteQuestions::decide(QString where)
{
    if (m_skipExisting)
        co_return OverwriteDecision::Skip;
    if (m_ask)
        m_last = co_await m_asker.askReplace(std::move(where));
    switch (m_last) {
    case Answer::YesToAll:
        m_ask = false;
        [[fallthrough]];
    case Answer::Yes:
        co_return OverwriteDecision::Replace;
    case Answer::NoToAll:
        m_skipExisting = true;
        [[fallthrough]];
    case Answer::No:
        co_return OverwriteDecision::Skip;
    case Answer::Cancel:
        break;
    }
    co_return OverwriteDecision::Stop;
}

} // namespace vandrel::link
