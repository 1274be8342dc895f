#pragma once

#include <QString>
#include <array>

// The names the panel shows beside its elements: the input lamps' captions, the analog
// outputs' labels, the macro buttons' captions and the relays' names (their tooltips). The core
// holds them; the window shows them, the store and the setup dialog change them through the core,
// and the socket, MQTT and the recording report them.
struct PanelNames
{
    enum class Kind { Input, Output, Macro, Relay };

    static constexpr int inputCount = 8;
    static constexpr int outputCount = 2;
    static constexpr int macroCount = 32;
    static constexpr int relayCount = 64;

    static constexpr Kind kinds[] = {Kind::Input, Kind::Output, Kind::Macro, Kind::Relay};

    // What the window shows before any name is loaded: "Input 1", "Out 1", "Macro1", and no
    // name for a relay.
    static QString designName(Kind kind, int index)
    {
        switch (kind) {
        case Kind::Input:
            return QStringLiteral("Input %1").arg(index + 1);
        case Kind::Output:
            return QStringLiteral("Out %1").arg(index + 1);
        case Kind::Macro:
            return QStringLiteral("Macro%1").arg(index + 1);
        case Kind::Relay:
            break;
        }
        return {};
    }
    static constexpr int count(Kind kind)
    {
        return kind == Kind::Input    ? inputCount
               : kind == Kind::Output ? outputCount
               : kind == Kind::Macro  ? macroCount
                                      : relayCount;
    }

    PanelNames()
    {
        for (Kind kind : kinds)
            for (int i = 0; i < count(kind); ++i)
                slot(kind, i) = designName(kind, i);
    }

    // Index 0 is input 1, output 1, macro 1.
    const QString &at(Kind kind, int index) const;
    QString &slot(Kind kind, int index);

    std::array<QString, inputCount> inputs;
    std::array<QString, outputCount> outputs;
    std::array<QString, macroCount> macros;
    std::array<QString, relayCount> relays;

private:
    template<typename Names>
    static auto pick(Names &names, Kind kind, int index) -> decltype(names.inputs[0])
    {
        const auto i = std::size_t(index);
        return kind == Kind::Input    ? names.inputs.at(i)
               : kind == Kind::Output ? names.outputs.at(i)
               : kind == Kind::Macro  ? names.macros.at(i)
                                      : names.relays.at(i);
    }
};

inline const QString &PanelNames::at(Kind kind, int index) const
{
    return pick(*this, kind, index);
}

inline QString &PanelNames::slot(Kind kind, int index)
{
    return pick(*this, kind, index);
}
