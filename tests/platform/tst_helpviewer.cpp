#include "HelpPages.h"
#include "HelpViewer.h"
#include "TestMain.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <algorithm>

namespace {

const QString titlePrefix = QStringLiteral("Tarnwick Help \u2013 ");

QString resourcePath(const QUrl &url)
{
    return QLatin1Char(':') + url.path();
}

QString readResource(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

// Every help page in the resource, as qrc: addresses.
QList<QUrl> helpPages()
{
    QList<QUrl> pages;
    QDirIterator it(QStringLiteral(":/help"), {QStringLiteral("*.html")}, QDir::Files);
    while (it.hasNext())
        pages << QUrl(QStringLiteral("qrc") + it.next());
    std::sort(pages.begin(), pages.end());
    return pages;
}

// Every address a page refers to, as written in its href and src attributes.
QStringList referencesIn(const QString &html)
{
    static const QRegularExpression attribute(
        QStringLiteral(R"re((?:href|src)\s*=\s*(?:"([^"]*)"|'([^']*)'))re"),
        QRegularExpression::CaseInsensitiveOption);
    QStringList references;
    for (const QRegularExpressionMatch &match : attribute.globalMatch(html))
        references << (match.capturedLength(1) > 0 ? match.captured(1) : match.captured(2));
    return references;
}

QString titleOf(const QString &html)
{
    static const QRegularExpression title(QStringLiteral("<title>(.*?)</title>"),
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::DotMatchesEverythingOption);
    return title.match(html).captured(1).trimmed();
}

bool hasAnchor(const QString &html, const QString &name)
{
    const QRegularExpression anchor(
        QStringLiteral(R"re((?:name|id)\s*=\s*["']%1["'])re").arg(QRegularExpression::escape(name)),
        QRegularExpression::CaseInsensitiveOption);
    return anchor.match(html).hasMatch();
}

bool isExternal(const QUrl &url)
{
    return url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https") ||
           url.scheme() == QLatin1String("mailto");
}

QTextBrowser *browserOf(const QtHelpViewer &viewer)
{
    return viewer.window()
               ? viewer.window()->findChild<QTextBrowser *>(QStringLiteral("helpBrowser"))
               : nullptr;
}

QAbstractButton *buttonOf(const QtHelpViewer &viewer, const QString &name)
{
    return viewer.window()->findChild<QAbstractButton *>(name + QStringLiteral("Button"));
}

// Clicks the first link of the shown page that leads to href, as a user would; false when the
// page has no such link.
bool clickLink(QTextBrowser *browser, const QString &href)
{
    QTextDocument *document = browser->document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().anchorHref() != href)
                continue;
            QTextCursor cursor(document);
            cursor.setPosition(fragment.position() + (fragment.length() > 1 ? 1 : 0));
            browser->setTextCursor(cursor);
            browser->ensureCursorVisible();
            const QPoint point = browser->cursorRect(cursor).center();
            QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, point);
            return true;
        }
    }
    return false;
}

int helpWindowCount()
{
    int count = 0;
    for (QWidget *widget : QApplication::topLevelWidgets())
        count += widget->objectName() == QLatin1String("HelpWindow") ? 1 : 0;
    return count;
}

} // namespace

// Stands in for the desktop's web browser.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void openUrl(const QUrl &url) { urls << url; }
};

class TestHelpViewer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void pageHasTitleAndReadableText_data();
    void pageHasTitleAndReadableText();
    void everyLinkLeadsToAnExistingPage_data();
    void everyLinkLeadsToAnExistingPage();
    void contentsLinkEveryPage();
    void viewerShowsTheContentsPage();
    void backForwardAndContentsButtons();
    void keysStepOnePageAtATime();
    void missingPageIsReportedInTheWindow_data();
    void missingPageIsReportedInTheWindow();
    void missingContentsPageIsReportedInTheWindow();
    void askingTwiceReusesOneWindow();
    void webLinksGoToTheDesktopBrowser();
};

void TestHelpViewer::initTestCase()
{
    // Linking the library alone must be enough: the program's window asks for
    // qrc:/help/index.html without calling into the library first.
    QVERIFY2(QFile::exists(QStringLiteral(":/help/index.html")),
             "the help pages are not registered by linking tarnwick_help");
    QCOMPARE(HelpPages::contentsUrl(), QUrl(QStringLiteral("qrc:/help/index.html")));
    QVERIFY(QFile::exists(resourcePath(HelpPages::contentsUrl())));
    QVERIFY(helpPages().size() > 1);
}

void TestHelpViewer::pageHasTitleAndReadableText_data()
{
    QTest::addColumn<QUrl>("page");
    for (const QUrl &page : helpPages())
        QTest::newRow(qPrintable(page.fileName())) << page;
}

void TestHelpViewer::pageHasTitleAndReadableText()
{
    QFETCH(QUrl, page);
    const QString html = readResource(resourcePath(page));
    const QString title = titleOf(html);
    QVERIFY2(!title.isEmpty(), "a page without a title leaves the window title bare");

    QtHelpViewer viewer;
    viewer.showContents(HelpPages::contentsUrl());
    QTextBrowser *browser = browserOf(viewer);
    QVERIFY(browser);
    browser->setSource(page);
    QCOMPARE(browser->source(), page);
    QCOMPARE(viewer.window()->windowTitle(), titlePrefix + title);
    // Non-ASCII punctuation survives: the page is read as UTF-8, not as Latin-1.
    const QString text = browser->toPlainText();
    QVERIFY(text.size() > 40);
    QVERIFY2(!text.contains(QStringLiteral("\u00e2\u0080")) && !text.contains(QChar(0xfffd)),
             "the page text was decoded with the wrong character set");
}

void TestHelpViewer::everyLinkLeadsToAnExistingPage_data()
{
    pageHasTitleAndReadableText_data();
}

void TestHelpViewer::everyLinkLeadsToAnExistingPage()
{
    QFETCH(QUrl, page);
    const QString html = readResource(resourcePath(page));
    QVERIFY(!html.isEmpty());

    QStringList broken;
    const QStringList references = referencesIn(html);
    QVERIFY2(!references.isEmpty(), "a page with no links is a dead end");
    for (const QString &reference : references) {
        const QUrl target = page.resolved(QUrl(reference));
        if (isExternal(target))
            continue;
        if (target.scheme() != QLatin1String("qrc")) {
            broken << reference + QStringLiteral(" (leads outside the help)");
            continue;
        }
        const QString targetHtml = readResource(resourcePath(target));
        if (targetHtml.isEmpty())
            broken << reference + QStringLiteral(" (no such page)");
        else if (target.hasFragment() && !hasAnchor(targetHtml, target.fragment()))
            broken << reference + QStringLiteral(" (no such place on the page)");
    }
    QVERIFY2(broken.isEmpty(), qPrintable(broken.join(QStringLiteral(", "))));
}

void TestHelpViewer::contentsLinkEveryPage()
{
    const QUrl contents = HelpPages::contentsUrl();
    QSet<QUrl> linked;
    for (const QString &reference : referencesIn(readResource(resourcePath(contents))))
        linked << contents.resolved(QUrl(reference)).adjusted(QUrl::RemoveFragment);

    QStringList unlisted;
    for (const QUrl &page : helpPages()) {
        if (page != contents && !linked.contains(page))
            unlisted << page.fileName();
    }
    QVERIFY2(unlisted.isEmpty(), qPrintable(QStringLiteral("not on the contents page: ") +
                                            unlisted.join(QStringLiteral(", "))));
}

void TestHelpViewer::viewerShowsTheContentsPage()
{
    QtHelpViewer viewer;
    QVERIFY(!viewer.window());
    const QUrl contents = HelpPages::contentsUrl();
    viewer.showContents(contents);

    QWidget *window = viewer.window();
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QVERIFY(window->isWindow());
    QVERIFY(!window->isModal());
    QTextBrowser *browser = browserOf(viewer);
    QVERIFY(browser);
    QCOMPARE(browser->source(), contents);
    QCOMPARE(window->windowTitle(), titlePrefix + titleOf(readResource(resourcePath(contents))));
    QVERIFY(browser->toPlainText().contains(QStringLiteral("Tarnwick Help")));
    QVERIFY(!buttonOf(viewer, QStringLiteral("helpBack"))->isEnabled());
    QVERIFY(!buttonOf(viewer, QStringLiteral("helpForward"))->isEnabled());
}

void TestHelpViewer::backForwardAndContentsButtons()
{
    QtHelpViewer viewer;
    const QUrl contents = HelpPages::contentsUrl();
    viewer.showContents(contents);
    QTextBrowser *browser = browserOf(viewer);
    QAbstractButton *back = buttonOf(viewer, QStringLiteral("helpBack"));
    QAbstractButton *forward = buttonOf(viewer, QStringLiteral("helpForward"));
    QAbstractButton *home = buttonOf(viewer, QStringLiteral("helpContents"));
    QVERIFY(back && forward && home);

    const QUrl macros = contents.resolved(QUrl(QStringLiteral("macros.html")));
    QVERIFY(clickLink(browser, QStringLiteral("macros.html")));
    QTRY_COMPARE(browser->source(), macros);
    QCOMPARE(viewer.window()->windowTitle(),
             titlePrefix + titleOf(readResource(resourcePath(macros))));
    QVERIFY(back->isEnabled());
    QVERIFY(!forward->isEnabled());

    QTest::mouseClick(back, Qt::LeftButton);
    QCOMPARE(browser->source(), contents);
    QVERIFY(forward->isEnabled());
    QTest::mouseClick(forward, Qt::LeftButton);
    QCOMPARE(browser->source(), macros);

    QTest::mouseClick(home, Qt::LeftButton);
    QCOMPARE(browser->source(), contents);
    QCOMPARE(viewer.window()->windowTitle(),
             titlePrefix + titleOf(readResource(resourcePath(contents))));
}

void TestHelpViewer::keysStepOnePageAtATime()
{
    QtHelpViewer viewer;
    const QUrl contents = HelpPages::contentsUrl();
    viewer.showContents(contents);
    QTextBrowser *browser = browserOf(viewer);
    const QUrl macros = contents.resolved(QUrl(QStringLiteral("macros.html")));
    const QUrl relays = contents.resolved(QUrl(QStringLiteral("relays.html")));
    browser->setSource(macros);
    browser->setSource(relays);
    QVERIFY(QTest::qWaitForWindowActive(viewer.window()));
    browser->setFocus();

    // The window's shortcuts and the browser's own keys must not both act on one key press.
    QTest::keyClick(browser, Qt::Key_Left, Qt::AltModifier);
    QCOMPARE(browser->source(), macros);
    QTest::keyClick(browser, Qt::Key_Right, Qt::AltModifier);
    QCOMPARE(browser->source(), relays);
    QTest::keyClick(browser, Qt::Key_Home, Qt::AltModifier);
    QCOMPARE(browser->source(), contents);
}

void TestHelpViewer::missingPageIsReportedInTheWindow_data()
{
    QTest::addColumn<QUrl>("missing");
    QTest::addColumn<QString>("name");
    QTest::newRow("page not in the help") << QUrl(QStringLiteral("qrc:/help/no-such-page.html"))
                                          << QStringLiteral("no-such-page.html");
    QTest::newRow("place on a missing page")
        << QUrl(QStringLiteral("qrc:/help/gone.html#part")) << QStringLiteral("gone.html");
    QTest::newRow("missing file") << QUrl::fromLocalFile(QStringLiteral("/nonexistent/manual.html"))
                                  << QStringLiteral("manual.html");
    QTest::newRow("not an HTML name")
        << QUrl(QStringLiteral("qrc:/help/notes.md")) << QStringLiteral("notes.md");
    QTest::newRow("folder, no page")
        << QUrl(QStringLiteral("qrc:/help/")) << QStringLiteral("qrc:/help/");
}

void TestHelpViewer::missingPageIsReportedInTheWindow()
{
    QFETCH(QUrl, missing);
    QFETCH(QString, name);
    QTest::failOnWarning(QRegularExpression(QStringLiteral("No document for")));

    QtHelpViewer viewer;
    const QUrl contents = HelpPages::contentsUrl();
    viewer.showContents(contents);
    QTextBrowser *browser = browserOf(viewer);
    browser->setSource(missing);

    const QString text = browser->toPlainText();
    QVERIFY2(text.contains(QStringLiteral("could not be found")), qPrintable(text));
    QVERIFY2(text.contains(name), qPrintable(text));
    QCOMPARE(viewer.window()->windowTitle(), titlePrefix + QStringLiteral("Page not found"));

    // The report is a page like any other: its link leads back to the contents.
    QVERIFY(buttonOf(viewer, QStringLiteral("helpBack"))->isEnabled());
    QVERIFY(clickLink(browser, contents.toString()));
    QTRY_COMPARE(browser->source(), contents);
    QVERIFY(browser->toPlainText().contains(QStringLiteral("Tarnwick Help")));
}

void TestHelpViewer::missingContentsPageIsReportedInTheWindow()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral("No document for")));
    QtHelpViewer viewer;
    viewer.showContents(QUrl(QStringLiteral("qrc:/help/absent-index.html")));

    QVERIFY(viewer.window()->isVisible());
    const QString text = browserOf(viewer)->toPlainText();
    QVERIFY2(text.contains(QStringLiteral("absent-index.html")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("could not be found")), qPrintable(text));
    // No link back to a contents page that is itself missing.
    QVERIFY(!clickLink(browserOf(viewer), QStringLiteral("qrc:/help/absent-index.html")));
}

void TestHelpViewer::askingTwiceReusesOneWindow()
{
    const int before = helpWindowCount();
    QtHelpViewer viewer;
    const QUrl contents = HelpPages::contentsUrl();
    viewer.showContents(contents);
    QWidget *first = viewer.window();
    QTextBrowser *browser = browserOf(viewer);
    browser->setSource(contents.resolved(QUrl(QStringLiteral("relays.html"))));

    viewer.showContents(contents);
    QCOMPARE(viewer.window(), first);
    QCOMPARE(helpWindowCount(), before + 1);
    QCOMPARE(browser->source(), contents);
    // Coming back to the contents is a step in the history, not a fresh start.
    QVERIFY(buttonOf(viewer, QStringLiteral("helpBack"))->isEnabled());

    first->close();
    QVERIFY(!first->isVisible());
    viewer.showContents(contents);
    QCOMPARE(viewer.window(), first);
    QVERIFY(first->isVisible());
    QCOMPARE(helpWindowCount(), before + 1);
}

void TestHelpViewer::webLinksGoToTheDesktopBrowser()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("links.html"));
    {
        QFile page(path);
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write("<html><head><title>Links</title></head><body>"
                   "<p><a href=\"https://example.org/board\">board maker</a></p></body></html>");
    }
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "openUrl");
    auto restore = qScopeGuard([] { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); });

    QtHelpViewer viewer;
    viewer.showContents(HelpPages::contentsUrl());
    QTextBrowser *browser = browserOf(viewer);
    const QUrl local = QUrl::fromLocalFile(path);
    browser->setSource(local);
    QVERIFY(clickLink(browser, QStringLiteral("https://example.org/board")));

    QCOMPARE(catcher.urls, QList<QUrl>{QUrl(QStringLiteral("https://example.org/board"))});
    QCOMPARE(browser->source(), local);
}

TARNWICK_TEST_MAIN(TestHelpViewer)

#include "tst_helpviewer.moc"
