#include "TrendWindowLoader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QWidget>
#include <algorithm>

namespace {

const QString moduleFile = QStringLiteral("tarnwick-trends.so");

} // namespace

QStringList TrendWindowLoader::defaultPlaces()
{
    // Installed, the module's folder is named from the program's, so that the package may
    // place both under any prefix.
    const QDir programFolder(QCoreApplication::applicationDirPath());
    return {programFolder.filePath(moduleFile),
            QDir::cleanPath(
                programFolder.filePath(QStringLiteral(TARNWICK_MODULE_DIR "/") + moduleFile))};
}

TrendWindowLoader::TrendWindowLoader(QStringList places)
    : m_places(std::move(places))
{}

// The window goes first; the module stays loaded to the end, as its code may still run
// while the program ends.
TrendWindowLoader::~TrendWindowLoader() = default;

bool TrendWindowLoader::open(TrendHistory &history, const TrendWindowModule::Gauges &gauges,
                             QString *problem)
{
    if (!m_window) {
        if (!load(problem))
            return false;
        m_window.reset(m_make(history, gauges));
    }
    m_show(m_window.get());
    return true;
}

bool TrendWindowLoader::load(QString *problem)
{
    if (m_make)
        return true;
    const auto found = std::find_if(m_places.cbegin(), m_places.cend(),
                                    [](const QString &place) { return QFileInfo::exists(place); });
    if (found == m_places.cend()) {
        *problem = QCoreApplication::translate("TrendWindowLoader", "%1 is not installed.")
                       .arg(m_places.isEmpty() ? moduleFile : m_places.constLast());
        return false;
    }
    m_library.setFileName(*found);
    // Every symbol now: one the program lacks is a clear refusal here, not a crash later.
    m_library.setLoadHints(QLibrary::ResolveAllSymbolsHint);
    if (!m_library.load()) {
        *problem = m_library.errorString();
        return false;
    }
    const auto make =
        reinterpret_cast<TrendWindowModule::Make>(m_library.resolve(TrendWindowModule::makeName));
    const auto show =
        reinterpret_cast<TrendWindowModule::Show>(m_library.resolve(TrendWindowModule::showName));
    if (!make || !show) {
        *problem = QCoreApplication::translate("TrendWindowLoader", "%1 is not the trend window.")
                       .arg(*found);
        return false;
    }
    m_make = make;
    m_show = show;
    return true;
}
