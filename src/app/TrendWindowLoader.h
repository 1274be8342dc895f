#pragma once

#include "TrendWindowModule.h"

#include <QLibrary>
#include <QString>
#include <QStringList>
#include <memory>

class QWidget;

// Opens the trend window from its module, loaded when the window is first asked for: a panel
// whose trends are never looked at never loads Qt Charts and OpenGL (1.1 MiB resident).
class TrendWindowLoader
{
public:
    // Where the module is looked for, in order: beside the program (a build tree), then
    // where the package installs it, the library folder beside the program's (../lib/tarnwick/
    // plugins from /usr/bin).
    static QStringList defaultPlaces();

    explicit TrendWindowLoader(QStringList places = defaultPlaces());
    ~TrendWindowLoader();

    // Shows the window, made on the first call. False, with the reason in `problem`, when
    // the module cannot be loaded; a later call tries again.
    bool open(TrendHistory &history, const TrendWindowModule::Gauges &gauges, QString *problem);

    QWidget *window() const { return m_window.get(); }

private:
    bool load(QString *problem);

    QStringList m_places;
    QLibrary m_library;
    TrendWindowModule::Make m_make = nullptr;
    TrendWindowModule::Show m_show = nullptr;
    std::unique_ptr<QWidget> m_window;
};
