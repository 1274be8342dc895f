#include "ControlReplies.h"

#include "CommandFrames.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace ControlReplies {

RefusalText refusalText(Refusal refusal)
{
    switch (refusal) {
    case Refusal::SetupOpen:
        return {"setup-open", "The setup dialog is open in the panel: close it, then try again."};
    case Refusal::NoAnswer:
        return {"no-answer",
                "The board has not answered yet: check its power and cable and the port chosen "
                "under Setup, Comm Port, then try again."};
    case Refusal::WdtLock:
        return {"wdt-lock", "R16 is locked while WDT is checked: uncheck WDT in the panel to "
                            "switch it, or switch it with a macro."};
    case Refusal::Busy:
        return {"busy", "The panel is still finishing another relay command: try again."};
    case Refusal::Closing:
        break;
    }
    return {"closing", "The panel is closing."};
}

QJsonObject done()
{
    return {{QStringLiteral("ok"), true}};
}

QJsonObject failed(const QString &code, const QString &message)
{
    return {{QStringLiteral("ok"), false},
            {QStringLiteral("error"), code},
            {QStringLiteral("message"), message}};
}

QJsonObject refused(Refusal refusal)
{
    const RefusalText text = refusalText(refusal);
    return failed(QLatin1String(text.code), QLatin1String(text.message));
}

QJsonObject frameEvent(const QJsonObject &status)
{
    return {{QStringLiteral("event"), QStringLiteral("frame")}, {QStringLiteral("status"), status}};
}

QByteArray line(const QJsonObject &reply)
{
    return QJsonDocument(reply).toJson(QJsonDocument::Compact) + '\n';
}

std::map<int, bool> expectedRelays(const std::array<bool, 64> &shown,
                                   const QList<QByteArray> &frames)
{
    std::map<int, bool> expected;
    for (const QByteArray &frame : frames) {
        if (frame.size() != CommandFrames::frameLength || frame[2] != '0')
            continue;
        const int bank = frame[1] - CommandFrames::bankLetters[0];
        if (bank < 0 || bank >= CommandFrames::bankCount)
            continue;
        const auto mask = static_cast<quint8>(frame[3]);
        for (int position = 0; position < CommandFrames::relaysPerBank; ++position) {
            if (!(mask & (1u << position)))
                continue;
            const int relay = bank * CommandFrames::relaysPerBank + position + 1;
            const auto found = expected.find(relay);
            const bool before =
                found == expected.end() ? shown[std::size_t(relay - 1)] : found->second;
            expected[relay] = !before;
        }
    }
    return expected;
}

QJsonObject ranRelayCommand(int framesWritten, const std::map<int, bool> &expected)
{
    QJsonArray expect;
    for (const auto &[relay, on] : expected)
        expect.append(QJsonObject{{QStringLiteral("relay"), relay}, {QStringLiteral("on"), on}});
    QJsonObject reply = done();
    reply.insert(QStringLiteral("frames"), framesWritten);
    reply.insert(QStringLiteral("expect"), expect);
    return reply;
}

} // namespace ControlReplies
