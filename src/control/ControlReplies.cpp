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
        return {"busy", "The line to the board is still taken by earlier commands: try again."};
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

QJsonObject ranRelayCommand(int framesWritten, const std::map<int, bool> &expected,
                            quint64 confirmAfter)
{
    QJsonArray expect;
    for (const auto &[relay, on] : expected)
        expect.append(QJsonObject{{QStringLiteral("relay"), relay}, {QStringLiteral("on"), on}});
    QJsonObject reply = done();
    reply.insert(QStringLiteral("frames"), framesWritten);
    reply.insert(QStringLiteral("expect"), expect);
    reply.insert(QStringLiteral("confirmAfter"), double(confirmAfter));
    return reply;
}

} // namespace ControlReplies
