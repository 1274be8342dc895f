#include "StatusField.h"

#include <QStringList>

int statusFieldStart(StatusField field)
{
    switch (field.kind) {
    case StatusField::Kind::RelayBank:
        if (field.index < 0 || field.index >= int(StatusLayout::relayBankStart.size()))
            return 0;
        return StatusLayout::relayBankStart[std::size_t(field.index)];
    case StatusField::Kind::Meter:
        if (field.index < 0 || field.index >= int(StatusLayout::meterStart.size()))
            return 0;
        return StatusLayout::meterStart[std::size_t(field.index)];
    case StatusField::Kind::Inputs:
        return StatusLayout::inputsStart;
    case StatusField::Kind::Temperature:
        return StatusLayout::temperatureStart;
    }
    return 0;
}

std::optional<StatusField> parseStatusField(const QString &name)
{
    const QStringList words = name.trimmed().toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty() || words.size() > 2)
        return std::nullopt;
    const QString &first = words.front();

    if (words.size() == 1 && first.size() == 1 && first[0] >= QLatin1Char('a') &&
        first[0] <= QLatin1Char('h'))
        return StatusField{StatusField::Kind::RelayBank, first[0].unicode() - 'a'};
    if (words.size() == 1 && first == QLatin1String("inputs"))
        return StatusField{StatusField::Kind::Inputs, 0};
    if (words.size() == 1 &&
        (first == QLatin1String("temp") || first == QLatin1String("temperature")))
        return StatusField{StatusField::Kind::Temperature, 0};

    QString channel;
    if (words.size() == 2 && first == QLatin1String("meter"))
        channel = words[1];
    else if (words.size() == 1 && first.size() == 2 && first[0] == QLatin1Char('m'))
        channel = first.mid(1);
    if (channel.size() == 1 && channel[0] >= QLatin1Char('0') && channel[0] <= QLatin1Char('5'))
        return StatusField{StatusField::Kind::Meter, channel[0].unicode() - '0'};
    return std::nullopt;
}

QString statusFieldName(StatusField field)
{
    switch (field.kind) {
    case StatusField::Kind::RelayBank:
        return QString(QChar(char16_t(u'A' + field.index)));
    case StatusField::Kind::Meter:
        return QStringLiteral("meter %1").arg(field.index);
    case StatusField::Kind::Inputs:
        return QStringLiteral("inputs");
    case StatusField::Kind::Temperature:
        return QStringLiteral("temp");
    }
    return {};
}
