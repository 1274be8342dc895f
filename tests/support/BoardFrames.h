#pragma once

#include "CommandFrames.h"

#include <QByteArray>
#include <QList>
#include <QSignalSpy>

// The frames a spy on PtyBoard::frameReceived caught, without the status requests.
inline QList<QByteArray> commandFrames(const QSignalSpy &frames)
{
    QList<QByteArray> found;
    for (const QList<QVariant> &arguments : frames) {
        const QByteArray frame = arguments.at(0).toByteArray();
        if (frame != CommandFrames::statusRequest())
            found << frame;
    }
    return found;
}
