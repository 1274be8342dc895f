#include "RegInit.h"

#include "NumberText.h"
#include "SettingsKeys.h"
#include "SettingsStore.h"

namespace {

QString seedText(const KeySpec &row, int index, const RegInitSource &source)
{
    switch (row.rule) {
    case DefaultRule::Constant:
        return row.defaultText.toString();
    case DefaultRule::MacroCaption:
        return source.macroCaption(index);
    case DefaultRule::InputCaption:
        return source.inputCaption(index);
    case DefaultRule::WindowLeft:
        return NumberText::fromSingle(source.windowLeft());
    case DefaultRule::WindowTop:
        return NumberText::fromSingle(source.windowTop());
    case DefaultRule::WindowHeight:
        return NumberText::fromSingle(source.windowHeight());
    case DefaultRule::NotSeeded:
        break;
    }
    return {};
}

} // namespace

void RegInit(SettingsStore &store, const RegInitSource &source)
{
    SettingsAccess settings(store);
    const SettingsStore::Batch batch(store);
    for (const KeyRef &ref : SettingsKeys::allKeys()) {
        const KeySpec &row = SettingsKeys::row(ref.key);
        if (row.rule == DefaultRule::NotSeeded)
            continue;
        // Only the exact empty text counts as absent: " " or "0" are the user's values.
        if (!settings.read(ref).isEmpty())
            continue;
        // Saving the empty text would change nothing: it reads as absent.
        const QString seed = seedText(row, ref.index, source);
        if (!seed.isEmpty())
            settings.save(ref, seed);
    }
}
