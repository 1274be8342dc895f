#include "HelpViewer.h"

#include <QAction>
#include <QIcon>
#include <QKeySequence>
#include <QStyle>
#include <QTextBrowser>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWidget>

namespace {

const QString windowTitleBase = QStringLiteral("Tarnwick Help");

// The page shown in place of one that does not exist, naming it. It links back to the
// contents unless the contents themselves are what is missing.
QString notFoundPage(const QUrl &missing, const QUrl &contents)
{
    const QString name =
        missing.fileName().isEmpty() ? missing.toDisplayString() : missing.fileName();
    QString page = QStringLiteral("<html><head><title>Page not found</title></head><body>"
                                  "<h2 style=\"color:#1f4e79\">Page not found</h2>"
                                  "<p>The help page <b>%1</b> could not be found.</p>")
                       .arg(name.toHtmlEscaped());
    if (missing.adjusted(QUrl::RemoveFragment) != contents.adjusted(QUrl::RemoveFragment)) {
        page += QStringLiteral("<p><a href=\"%1\">Go to the contents</a></p>")
                    .arg(contents.toString(QUrl::FullyEncoded).toHtmlEscaped());
    } else {
        page += QStringLiteral("<p>The help pages are missing from this copy of Tarnwick.</p>");
    }
    page += QStringLiteral("<p style=\"color:#6b7785\"><small>Address: %1</small></p>"
                           "</body></html>")
                .arg(missing.toDisplayString().toHtmlEscaped());
    return page;
}

bool isEmptyDocument(const QVariant &data)
{
    if (!data.isValid())
        return true;
    if (data.userType() == QMetaType::QByteArray)
        return data.toByteArray().isEmpty();
    if (data.userType() == QMetaType::QString)
        return data.toString().isEmpty();
    return false;
}

// A text browser that never shows a blank page: a page that cannot be loaded is replaced by
// a short page saying so. History, title and links then work as for any other page.
class HelpBrowser final : public QTextBrowser
{
public:
    using QTextBrowser::QTextBrowser;

    void setContentsUrl(const QUrl &contents) { m_contents = contents; }

    QVariant loadResource(int type, const QUrl &name) override
    {
        QVariant loaded = QTextBrowser::loadResource(type, name);
        if (type != QTextDocument::HtmlResource || !isEmptyDocument(loaded))
            return loaded;
        return notFoundPage(source().resolved(name), m_contents);
    }

protected:
    // Every help page is HTML, whatever its name ends in, so that the replacement for a
    // missing page is always read as HTML.
    void doSetSource(const QUrl &name, QTextDocument::ResourceType) override
    {
        QTextBrowser::doSetSource(name, QTextDocument::HtmlResource);
    }

private:
    QUrl m_contents;
};

} // namespace

class HelpWindow final : public QWidget
{
public:
    HelpWindow();

    // Opens the contents page, or leaves the window where it is when it already shows it.
    void showContents(const QUrl &contents);

private:
    void updateTitle();

    HelpBrowser *m_browser = nullptr;
    QUrl m_contents;
};

HelpWindow::HelpWindow()
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(windowTitleBase);
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(800, 700);

    auto *toolBar = new QToolBar(this);
    toolBar->setObjectName(QStringLiteral("helpToolBar"));
    toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toolBar->setMovable(false);

    m_browser = new HelpBrowser(this);
    m_browser->setObjectName(QStringLiteral("helpBrowser"));
    m_browser->setOpenLinks(true);
    m_browser->setOpenExternalLinks(true);
    m_browser->setFrameShape(QFrame::NoFrame);
    m_browser->document()->setDocumentMargin(16);

    // The desktop's own icons where it has a theme, the style's otherwise.
    auto addButton = [&](const QString &name, const QString &text, const QString &themeIcon,
                         QStyle::StandardPixmap icon, const QKeySequence &shortcut) {
        const QIcon shown = QIcon::fromTheme(themeIcon, style()->standardIcon(icon));
        QAction *action = toolBar->addAction(shown, text);
        action->setObjectName(name);
        action->setShortcut(shortcut);
        action->setToolTip(QStringLiteral("%1 (%2)").arg(
            QString(text).remove(QLatin1Char('&')), shortcut.toString(QKeySequence::NativeText)));
        toolBar->widgetForAction(action)->setObjectName(name + QStringLiteral("Button"));
        return action;
    };
    QAction *back =
        addButton(QStringLiteral("helpBack"), QStringLiteral("&Back"),
                  QStringLiteral("go-previous"), QStyle::SP_ArrowBack, QKeySequence::Back);
    QAction *forward =
        addButton(QStringLiteral("helpForward"), QStringLiteral("&Forward"),
                  QStringLiteral("go-next"), QStyle::SP_ArrowForward, QKeySequence::Forward);
    QAction *home = addButton(QStringLiteral("helpContents"), QStringLiteral("&Contents"),
                              QStringLiteral("go-home"), QStyle::SP_DirHomeIcon,
                              QKeySequence(Qt::ALT | Qt::Key_Home));
    back->setEnabled(false);
    forward->setEnabled(false);

    connect(back, &QAction::triggered, m_browser, &QTextBrowser::backward);
    connect(forward, &QAction::triggered, m_browser, &QTextBrowser::forward);
    connect(home, &QAction::triggered, this, [this] { m_browser->setSource(m_contents); });
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, &HelpWindow::updateTitle);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar);
    layout->addWidget(m_browser);
}

void HelpWindow::showContents(const QUrl &contents)
{
    m_contents = contents;
    m_browser->setContentsUrl(contents);
    if (m_browser->source() != contents)
        m_browser->setSource(contents);
    updateTitle();
}

void HelpWindow::updateTitle()
{
    const QString page = m_browser->documentTitle().trimmed();
    setWindowTitle(page.isEmpty() ? windowTitleBase
                                  : windowTitleBase + QStringLiteral(" \u2013 ") + page);
}

QtHelpViewer::QtHelpViewer() = default;

QtHelpViewer::~QtHelpViewer() = default;

void QtHelpViewer::showContents(const QUrl &contents)
{
    if (!m_window)
        m_window = std::make_unique<HelpWindow>();
    m_window->showContents(contents);
    if (m_window->isMinimized())
        m_window->showNormal();
    else
        m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

QWidget *QtHelpViewer::window() const
{
    return m_window.get();
}
