// What a relay command's reply says the board should show afterwards, and the reply line.
#include "ControlReplies.h"
#include "RelayExpectation.h"
#include "TestMain.h"

#include <QJsonArray>

using namespace Qt::StringLiterals;
using Expected = std::map<int, bool>;

Q_DECLARE_METATYPE(Expected)

class TestControlReplies : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void framesInvertTheShownRelays_data()
    {
        QTest::addColumn<QList<int>>("shownOn");
        QTest::addColumn<QByteArray>("frames"); // back to back, five bytes each
        QTest::addColumn<Expected>("expected");
        QTest::newRow("no frame") << QList<int>{} << QByteArray() << Expected{};
        QTest::newRow("R1 off becomes on")
            << QList<int>{} << QByteArray::fromHex("244130010D") << Expected{{1, true}};
        QTest::newRow("R64 on becomes off")
            << QList<int>{64} << QByteArray::fromHex("244830800D") << Expected{{64, false}};
        QTest::newRow("the same relay twice ends as it was")
            << QList<int>{} << QByteArray::fromHex("244130200D244130200D") << Expected{{6, false}};
        QTest::newRow("a mask of several relays")
            << QList<int>{10} << QByteArray::fromHex("244230030D")
            << Expected{{9, true}, {10, false}};
        QTest::newRow("an analog-output frame is no relay's")
            << QList<int>{} << QByteArray::fromHex("2449490D0D") << Expected{};
    }
    void framesInvertTheShownRelays()
    {
        QFETCH(QList<int>, shownOn);
        QFETCH(QByteArray, frames);
        QFETCH(Expected, expected);
        std::array<bool, 64> shown{};
        for (const int relay : shownOn)
            shown[std::size_t(relay - 1)] = true;
        QList<QByteArray> list;
        for (qsizetype at = 0; at < frames.size(); at += 5)
            list << frames.mid(at, 5);
        QCOMPARE(expectedRelays(shown, list), expected);
    }

    void everyRefusalHasItsOwnCodeAndAMessage()
    {
        using ControlReplies::Refusal;
        QSet<QString> codes;
        for (const Refusal refusal : {Refusal::SetupOpen, Refusal::NoAnswer, Refusal::WdtLock,
                                      Refusal::Busy, Refusal::Closing}) {
            const QJsonObject reply = ControlReplies::refused(refusal);
            QCOMPARE(reply.value(u"ok"_s), QJsonValue(false));
            codes.insert(reply.value(u"error"_s).toString());
            QVERIFY(reply.value(u"message"_s).toString().size() > 10);
        }
        QCOMPARE(codes.size(), 5);
    }

    void aReplyIsOneCompactLine()
    {
        const QByteArray line =
            ControlReplies::line(ControlReplies::ranRelayCommand(1, {{5, true}}, 7));
        QCOMPARE(line, R"({"confirmAfter":7,"expect":[{"on":true,"relay":5}],"frames":1,"ok":true})"
                       "\n"_ba);
    }
};

TARNWICK_TEST_MAIN(TestControlReplies)
#include "tst_controlreplies.moc"
