#include "Recorder.h"

#include "LinkState.h"
#include "PanelCore.h"
#include "PanelStatus.h"
#include "RecordWriter.h"
#include "StatusFrame.h"
#include "StatusPoll.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <algorithm>

namespace {

// Rows gathered beyond this go to the writer at once rather than at the next second.
constexpr qsizetype pendingLimit = 256 * 1024;

} // namespace

Recorder::Recorder(PanelCore &panel, QObject *parent)
    : QObject(parent)
    , m_panel(panel)
    , m_writer(new RecordWriter)
    , m_clock([] { return QDateTime::currentDateTime(); })
{
    m_thread.setObjectName(QStringLiteral("recording"));
    m_writer->moveToThread(&m_thread);
    connect(m_writer, &RecordWriter::began, this, [this](int file, const QString &path) {
        if (!m_recording || file != m_fileNumber)
            return;
        m_file = path;
        m_rowsWritten = 0;
        Q_EMIT stateChanged();
    });
    connect(m_writer, &RecordWriter::wrote, this, [this](int file, qint64 rowsInFile) {
        if (!m_recording || file != m_fileNumber)
            return;
        m_rowsWritten = rowsInFile;
        Q_EMIT rowsWritten(rowsInFile);
    });
    connect(m_writer, &RecordWriter::failed, this, &Recorder::writerFailed);
    connect(m_writer, &RecordWriter::tidyingFailed, this, &Recorder::tidyingFailed);

    m_flushTimer.setInterval(flushIntervalMs);
    connect(&m_flushTimer, &QTimer::timeout, this, &Recorder::flush);
    connect(&panel, &PanelCore::frameShown, this, &Recorder::frameShown);
    connect(&panel, &PanelCore::linkChanged, this, &Recorder::linkChanged);
}

Recorder::~Recorder()
{
    stop();
    m_writer->leave(); // a day being compressed is compressed at the next start instead
    if (m_thread.isRunning()) {
        // The thread's loop would end with rows still queued for it: wait until it has
        // written them (calls are taken in order) before ending it.
        QMetaObject::invokeMethod(m_writer, &RecordWriter::end, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }
    delete m_writer; // its thread has ended, or never ran
}

std::optional<QString> Recorder::start(const QString &folder)
{
    const QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    const QString shown = QDir::toNativeSeparators(path);
    if (!QFileInfo(path).isDir() && !QDir().mkpath(path))
        return tr("The folder %1 cannot be made.").arg(shown);
    if (!QFileInfo(path).isWritable())
        return tr("The folder %1 is not writable.").arg(shown);
    // The permissions say yes; whether a file can be made and written there (a read-only
    // file system, a full disk) only trying tells, and the caller should hear it now.
    QTemporaryFile probe(QDir(path).filePath(QStringLiteral(".tarnwick-XXXXXX")));
    if (!probe.open() || probe.write("\n") != 1 || !probe.flush())
        return tr("The folder %1 is not writable: %2").arg(shown, probe.errorString());
    if (m_recording && path == m_folder)
        return std::nullopt;
    if (m_recording)
        stop();
    if (!m_thread.isRunning())
        m_thread.start(); // only a panel that records has the thread
    m_folder = path;
    m_recording = true;
    m_stopReason.clear();
    m_fileBegun = false;
    m_lastLink.clear();
    m_lastRowTime = {};
    m_flushTimer.start();
    Q_EMIT stateChanged();
    // The file is opened now, not at the first frame, so a folder it cannot be made in is
    // told at once, even while the board is silent.
    const PanelStatus status = readPanelStatus(m_panel);
    followFile(m_clock().date(), {status.inputNames, status.meterCaptions}, status.port);
    return std::nullopt;
}

void Recorder::stop()
{
    if (!m_recording)
        return;
    flush();
    QMetaObject::invokeMethod(m_writer, &RecordWriter::end);
    m_stopReason.clear();
    endRecording();
}

void Recorder::setPlan(Plan plan)
{
    plan.everySeconds = std::clamp(plan.everySeconds, 0, Plan::longestEvery);
    plan.keepDays = std::clamp(plan.keepDays, 0, Plan::mostKeepDays);
    if (plan == m_plan)
        return;
    const bool fewerDays = plan.keepDays != m_plan.keepDays;
    m_plan = plan;
    if (m_recording && fewerDays && m_fileBegun)
        tidy();
    Q_EMIT stateChanged();
}

void Recorder::tidy()
{
    QMetaObject::invokeMethod(m_writer, [writer = m_writer, day = m_day, keep = m_plan.keepDays] {
        writer->tidy(day, keep);
    });
}

void Recorder::endRecording()
{
    m_recording = false;
    m_flushTimer.stop();
    m_file.clear();
    Q_EMIT stateChanged();
}

QString Recorder::statusText() const
{
    if (m_recording) {
        if (m_file.isEmpty())
            return tr("Recording to %1").arg(QDir::toNativeSeparators(m_folder));
        return tr("Recording to %1").arg(QFileInfo(m_file).fileName());
    }
    if (!m_stopReason.isEmpty())
        return tr("Recording stopped: %1").arg(m_stopReason);
    return tr("Not recording");
}

void Recorder::flush()
{
    if (m_pending.isEmpty())
        return;
    QMetaObject::invokeMethod(m_writer, [writer = m_writer, rows = std::move(m_pending),
                                         count = m_pendingRows] { writer->write(rows, count); });
    m_pending.clear();
    m_pendingRows = 0;
}

void Recorder::frameShown()
{
    if (m_recording && (m_plan.everySeconds == 0 || rowDue(m_clock())))
        addRow();
}

bool Recorder::rowDue(const QDateTime &now) const
{
    const ShownState &shown = m_panel.state();
    return !m_lastRowTime.isValid() || m_lastRowTime.msecsTo(now) >= m_plan.everySeconds * 1000LL ||
           m_lastRowTime.msecsTo(now) < 0 || // the clock was put back
           shown.relays != m_lastRelays || shown.inputs != m_lastInputs;
}

void Recorder::linkChanged()
{
    // A frame's own row already says "live"; a row is due here when the link stops
    // answering or its device goes.
    if (m_recording && QLatin1String(linkStateName(m_panel.link().state())) != m_lastLink)
        addRow();
}

void Recorder::addRow()
{
    const PanelStatus status = readPanelStatus(m_panel);
    RecordCsv::Sample sample;
    sample.time = m_clock();
    sample.link = status.link;
    sample.relays = status.relays;
    sample.inputs = status.inputs;
    sample.meters = status.meters;
    sample.fahrenheit = StatusFrame::readNumber(status.frame, StatusFrame::temperature);
    sample.frequency = StatusFrame::frequencyText(status.frame).toLatin1();
    sample.aout = status.aout;
    sample.frame = status.frame;
    followFile(sample.time.date(), {status.inputNames, status.meterCaptions}, status.port);
    RecordCsv::appendRow(m_pending, sample);
    ++m_pendingRows;
    m_lastLink = status.link;
    m_lastRowTime = sample.time;
    m_lastRelays = m_panel.state().relays;
    m_lastInputs = m_panel.state().inputs;
    if (m_pending.size() > pendingLimit)
        flush();
}

void Recorder::followFile(QDate day, const RecordCsv::Names &names, int port)
{
    if (m_fileBegun && day == m_day && port == m_port && names == m_names)
        return;
    flush(); // the rows so far belong to the file before
    const bool newDay = !m_fileBegun || day != m_day;
    m_day = day;
    m_port = port;
    m_names = names;
    m_fileBegun = true;
    m_file.clear();
    QMetaObject::invokeMethod(
        m_writer,
        [writer = m_writer, folder = m_folder, port, day, header = RecordCsv::headerRow(names),
         file = ++m_fileNumber] { writer->begin(folder, port, day, header, file); });
    if (newDay)
        tidy(); // the day before is finished: at midnight, and at a start on a later day
}

void Recorder::writerFailed(int file, const QString &reason)
{
    if (!m_recording || file != m_fileNumber)
        return;
    m_pending.clear();
    m_pendingRows = 0;
    m_stopReason = reason;
    endRecording();
    Q_EMIT stoppedByItself(reason);
}
