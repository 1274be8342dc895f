#include "QuitSignals.h"

#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int pipeEnds[2] = {-1, -1};
constexpr int quitSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void onQuitSignal(int signalNumber)
{
    const auto byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t ignored = ::write(pipeEnds[1], &byte, 1);
}

} // namespace

QuitSignals::QuitSignals(QObject *parent)
    : QObject(parent)
{
    std::signal(SIGPIPE, SIG_IGN);
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) {
        qWarning("no signal pipe: SIGINT, SIGTERM and SIGHUP end the program abruptly");
        return;
    }
    m_notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QuitSignals::readPipe);

    struct sigaction action
    {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : quitSignals)
        ::sigaction(signalNumber, &action, nullptr);
}

QuitSignals::~QuitSignals()
{
    for (const int signalNumber : quitSignals)
        std::signal(signalNumber, SIG_DFL);
}

void QuitSignals::readPipe()
{
    unsigned char byte = 0;
    if (::read(pipeEnds[0], &byte, 1) == 1)
        Q_EMIT quitRequested(byte);
}
