#pragma once

#include <QUrl>
#include <memory>

class QWidget;

// Shows the program's help. Behind an interface so that tests can see which page the
// program asks for without a window opening.
class HelpViewer
{
public:
    virtual ~HelpViewer() = default;

    // Shows the help at its contents page and leaves it open beside the program.
    virtual void showContents(const QUrl &contents) = 0;
};

class HelpWindow;

// The help in a window of our own: one non-modal top-level window for the whole run, brought
// to the front when the help is asked for again. A page that cannot be found is reported
// inside that window, with a way back to the contents. The window has no parent, so it stays
// usable while the main window is disabled; it lives as long as the viewer, which must not
// outlive the QApplication.
class QtHelpViewer final : public HelpViewer
{
public:
    QtHelpViewer();
    ~QtHelpViewer() override;

    void showContents(const QUrl &contents) override;

    // The help window, or null while the help has not been asked for.
    QWidget *window() const;

private:
    std::unique_ptr<HelpWindow> m_window;
};
