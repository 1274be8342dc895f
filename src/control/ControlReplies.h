#pragma once

#include "CommandRefusal.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <array>
#include <map>

// The replies of the control socket, one JSON object per line:
//
//   {"ok":true, ...}                                   done; what else it says depends on
//                                                      the command
//   {"ok":false,"error":"<code>","message":"<text>"}   not done, and why
//   {"event":"frame","status":{...}}                   to a watching client, every frame
namespace ControlReplies {

using Refusal = CommandRefusal;

struct RefusalText
{
    const char *code;
    const char *message; // names the problem and what to do
};
RefusalText refusalText(Refusal refusal);

QJsonObject done();
QJsonObject refused(Refusal refusal);
QJsonObject failed(const QString &code, const QString &message);
QJsonObject frameEvent(const QJsonObject &status);

// The line as it goes out: compact JSON and a line feed.
QByteArray line(const QJsonObject &reply);

// The reply to a relay command or macro that ran: how many frames it wrote, which relay
// states confirm it ("expect": [{"relay":5,"on":true}, ...]), and from which frames on: only
// a frame whose "answersRequest" is above "confirmAfter" was asked for after the command.
QJsonObject ranRelayCommand(int framesWritten, const std::map<int, bool> &expected,
                            quint64 confirmAfter);

} // namespace ControlReplies
