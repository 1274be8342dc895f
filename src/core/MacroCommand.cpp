#include "MacroCommand.h"

#include "CommandFrames.h"
#include "NumberText.h"
#include "RelayList.h"

namespace MacroCommand {

namespace {

ListResult switchRelays(QStringView list, const RelayColours &colours, quint32 testedColour)
{
    ListResult result;
    const QList<RelayList::Field> fields = RelayList::walk(list);
    for (qsizetype j = 0; j < fields.size(); ++j) {
        const RelayList::Field &field = fields[j];
        if (j < debugSlots)
            result.text2[j] = field.remaining;
        if (!field.relay)
            continue;
        const RelayList::Relay relay = *field.relay;
        if (colours.buttonColour(relay.bank, relay.position) != testedColour)
            continue;
        result.frames.append(MakeRelayFrame(relay.bankLetter(), relay.position));
        result.text1 = QString(QLatin1Char(relay.bankLetter()));
    }
    return result;
}

} // namespace

ListResult SwitchRelaysOn(QStringView list, const RelayColours &colours)
{
    return switchRelays(list, colours, colours.offColor);
}

ListResult SwitchRelaysOff(QStringView list, const RelayColours &colours)
{
    return switchRelays(list, colours, colours.onColor);
}

MacroResult macroClick(QStringView onList, QStringView offList, const RelayColours &colours)
{
    const ListResult on = SwitchRelaysOn(onList, colours);
    const ListResult off = SwitchRelaysOff(offList, colours);

    MacroResult result;
    result.frames = on.frames + off.frames;
    result.text1 = off.text1 ? off.text1 : on.text1;
    result.text2AfterOnList = on.text2;
    result.text2 = on.text2;
    for (int i = 0; i < debugSlots; ++i) {
        if (off.text2[i])
            result.text2[i] = off.text2[i];
    }
    return result;
}

QStringList command1Texts(QStringView text1)
{
    QStringList texts;
    for (const double number : RelayList::command1Numbers(text1))
        texts.append(NumberText::fromDouble(number));
    return texts;
}

} // namespace MacroCommand
