#pragma once

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

// Why a well-formed command was not carried out. The panel stays as it was.
enum class Refusal {
    SetupOpen, // the setup dialog is open: the poll is stopped and the window disabled
    NoAnswer,  // the board has never answered, so the relay states are not known
    WdtLock,   // "R16" is locked while "WDT" is checked
    Busy,      // another relay command kept the guard shut for a whole poll interval
    Closing,   // the panel is ending
};

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

// What the relays should show once the board has done what a relay command asked: each
// relay the frames touched, with its state inverted once per frame, starting from what the
// window showed (index 0 is R1). Frames that are not relay-bank frames are ignored.
std::map<int, bool> expectedRelays(const std::array<bool, 64> &shown,
                                   const QList<QByteArray> &frames);

// The reply to a relay command or macro that ran: how many frames it wrote, and which
// relay states confirm it ("expect": [{"relay":5,"on":true}, ...]).
QJsonObject ranRelayCommand(int framesWritten, const std::map<int, bool> &expected);

} // namespace ControlReplies
