// The stored messages of the demo phone, written by the phone's own PDU writer.
#include "seed.h"
#include "smspdu.h"
#include "smsstore.h"

#include <QTimeZone>

namespace vandrel::phonesim {

namespace {

const QString jan = QStringLiteral("+420602123456");
const QString vera = QStringLiteral("+420731987654");
const QString petr = QStringLiteral("+420777000111");
const QString zofie = QStringLiteral("+420605555666");

} // namespace

QString seededTwoPartText()
{
    return QStringLiteral("Ahoj Petre, posilam popis cesty na chatu: z Prahy po D1 na Jihlavu, sjezd 90, pak "
                          "doprava na Humpolec a za kostelem doleva. Po dvou kilometrech uvidis modrou branu, tam "
                          "zaparkuj u plotu. Klic je pod kvetinacem. Tesime se, Jana a Tomas");
}

QString seededThreePartText()
{
    return QStringLiteral("Milá Žofie, děkujeme za krásné přání k výročí. Příští sobotu pořádáme oslavu na "
                          "zahradě, začínáme ve tři odpoledne. Přijď určitě i s dětmi, bude grilování, dort a "
                          "hudba. Těšíme se! Věra a Jiří");
}

QString seededIncompleteText()
{
    QString t = QStringLiteral("Zapis z porady: ");
    for (int i = 1; t.size() < 400; ++i)
        t += QStringLiteral("bod %1 schvalen, ").arg(i);
    return t + QStringLiteral("konec.");
}

void seedMessages(const QString &storeFile, int atLeast)
{
    SmsStore store(storeFile);
    const QDateTime t0(QDate(2007, 1, 15), QTime(8, 30, 0), QTimeZone(3600));
    auto received = [&store, &t0](int index, int state, const QString &from, const QString &text, int minutes,
                                  const sms::Concatenation &concat = {}) {
        sms::Deliver d;
        d.from = from;
        d.text = text;
        d.time = t0.addSecs(60LL * minutes);
        d.concat = concat;
        store.put(index, state, sms::deliverPdu(d));
    };
    // Parts at the given indexes; 0 leaves a part out.
    auto concatenated = [&received](const QList<int> &indexes, const QString &from, const QString &text, int reference,
                                    bool wide, int minutes) {
        const QStringList parts = sms::splitIntoParts(text, wide);
        for (qsizetype i = 0; i < parts.size() && i < indexes.size(); ++i)
            if (indexes[i] > 0)
                received(indexes[i], StoredMessage::ReceivedRead, from, parts[i], minutes,
                         {reference, int(parts.size()), int(i + 1), wide});
    };
    auto stored = [&store](int index, int state, const QString &to, const QString &text) {
        sms::Submit s;
        s.to = to;
        s.text = text;
        store.put(index, state, sms::submitPdu(s));
    };

    received(1, StoredMessage::ReceivedRead, jan, QStringLiteral("Cena 5€, sleva [20 %] a {bonus}. Kod: ~A|B^C\\D"), 0);
    received(2, StoredMessage::ReceivedUnread, vera, QStringLiteral("Příliš žluťoučký kůň úpěl ďábelské ódy. Věra"), 5);
    concatenated({3, 7}, petr, seededTwoPartText(), 0x42, false, 10);
    concatenated({12, 4, 9}, vera, seededThreePartText(), 0x1234, true, 20);
    received(5, StoredMessage::ReceivedRead, QStringLiteral("DemoNet"),
             QStringLiteral("Vas kredit je 250 Kc. Dekujeme, ze pouzivate Demo Net."), 30);
    concatenated({6, 0, 11}, petr, seededIncompleteText(), 0x17, false, 40);
    received(8, StoredMessage::ReceivedRead, zofie, QStringLiteral("xxxdelxxx"), 50);
    stored(10, StoredMessage::StoredSent, jan, QStringLiteral("Dorazim v 18:00, Jan."));
    stored(13, StoredMessage::StoredUnsent, vera, QStringLiteral("Nezapomen koupit mleko."));
    stored(14, StoredMessage::StoredUnsent, zofie, QStringLiteral("Zítra v kině?"));
    received(15, StoredMessage::ReceivedUnread, jan, QStringLiteral("Zavolej mi, prosim. Jan"), 60);
    stored(16, StoredMessage::StoredSent, vera, QStringLiteral("Děkuji, dorazím."));
    const QString senders[] = {jan, vera, petr, zofie};
    for (int index = 17; store.count() < atLeast && index <= SmsStore::lastIndex; ++index)
        received(index, StoredMessage::ReceivedRead, senders[index % 4],
                 QStringLiteral("Zprava c. %1 z dlouheho seznamu.").arg(index), -60 * index);
    store.save();
}

} // namespace vandrel::phonesim
