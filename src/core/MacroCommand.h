#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <functional>
#include <optional>

// What a macro click writes and shows. The panel knows the relays only by the colours their
// buttons show, so a frame (which inverts its relay) goes only to a listed relay whose
// button shows the other state.
namespace MacroCommand {

// The debug strip's Text2 has six boxes; lists may hold more fields than that.
inline constexpr int debugSlots = 6;

// The colours the relay buttons are compared with, and the colour a button shows now
// (0x00BBGGRR; before the first status frame it is neither state colour). `buttonColour`
// must be set: it is asked once per field that names a relay.
struct RelayColours
{
    quint32 onColor = 0;
    quint32 offColor = 0;
    std::function<quint32(int bank, int position)> buttonColour;
};

// Texts for the six Text2 boxes; an empty slot leaves its box as it was.
using DebugTexts = std::array<std::optional<QString>, debugSlots>;

// One walk of one list.
struct ListResult
{
    QList<QByteArray> frames;     // in list order
    std::optional<QString> text1; // the bank letter of the last frame; none when no frame
    DebugTexts text2;             // the text left after each of the first six fields
};

// `SwitchRelaysOn` writes the frame of each listed relay whose button shows `offColor`;
// `SwitchRelaysOff` of each whose button shows `onColor`. Every field of the list is acted
// on, also past the six the debug strip shows. The colours are read as they are: frames
// written during the walk do not change them, so a relay listed twice is inverted twice.
ListResult SwitchRelaysOn(QStringView list, const RelayColours &colours);
ListResult SwitchRelaysOff(QStringView list, const RelayColours &colours);

// A macro click's body: the on list's walk, then the off list's.
struct MacroResult
{
    QList<QByteArray> frames;     // the on list's frames, then the off list's
    std::optional<QString> text1; // what Text1 ends up showing; none: unchanged
    DebugTexts text2AfterOnList;
    DebugTexts text2; // after both walks: the off list's texts over the on list's
};
MacroResult macroClick(QStringView onList, QStringView offList, const RelayColours &colours);

// What the "Cmd" button shows for the text of Text1: the number of every field, as decimal
// text, in order; Text2 shows the first six. Sends nothing.
QStringList command1Texts(QStringView text1);

} // namespace MacroCommand
