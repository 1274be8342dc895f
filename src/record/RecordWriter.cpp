#include "RecordWriter.h"

#include "RecordArchive.h"
#include "RecordCsv.h"
#include "RecordFiles.h"

#include <QDir>
#include <QFileInfo>

namespace {

// A row is a few hundred bytes; the tail read to find the last whole one is far more.
constexpr qint64 tailLimit = 64 * 1024;

} // namespace

void RecordWriter::begin(const QString &folder, int port, QDate day, const QByteArray &header,
                         int file)
{
    end();
    m_fileNumber = file;
    m_failed = false;
    m_folder = folder;
    m_rowsInFile = 0;
    if (const QString problem = folderProblem(); !problem.isEmpty())
        return fail(problem);
    const QDir dir(folder);
    for (int sequence = 1; sequence <= RecordFiles::sequenceLimit; ++sequence) {
        const QString path = dir.filePath(RecordFiles::fileName(port, day, sequence));
        const bool opened =
            QFileInfo::exists(path) ? openExisting(path, header) : openNew(path, header);
        if (m_failed)
            return;
        if (opened) {
            Q_EMIT began(m_fileNumber, path);
            return;
        }
    }
    fail(tr("There are already %1 recordings of this day in %2.")
             .arg(RecordFiles::sequenceLimit)
             .arg(QDir::toNativeSeparators(folder)));
}

bool RecordWriter::openNew(const QString &path, const QByteArray &header)
{
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        fail(tr("%1 cannot be made: %2").arg(QDir::toNativeSeparators(path), m_file.errorString()));
        return false;
    }
    if (const QString reason = writeAll(m_file, header); !reason.isEmpty()) {
        m_file.close();
        QFile::remove(path); // no file without its whole header
        fail(tr("%1 cannot be written: %2").arg(QDir::toNativeSeparators(path), reason));
        return false;
    }
    m_size = header.size();
    return true;
}

bool RecordWriter::openExisting(const QString &path, const QByteArray &header)
{
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        fail(tr("%1 cannot be opened: %2")
                 .arg(QDir::toNativeSeparators(path), m_file.errorString()));
        return false;
    }
    const qint64 size = m_file.size();
    if (size < header.size() || m_file.read(header.size()) != header) {
        m_file.close();
        return false;
    }
    qint64 whole = size;
    if (size > header.size() && !m_file.seek(size - 2)) {
        m_file.close();
        return false;
    }
    if (size > header.size() && m_file.read(2) != RecordCsv::lineEnd) {
        // Left by a crash in the middle of a row: keep the rows before it.
        const qint64 tailStart = std::max<qint64>(header.size(), size - tailLimit);
        m_file.seek(tailStart);
        const qsizetype last = m_file.read(size - tailStart).lastIndexOf(RecordCsv::lineEnd);
        if (last < 0 && tailStart > header.size()) {
            m_file.close();
            return false;
        }
        whole = last < 0 ? header.size() : tailStart + last + 2;
        if (!m_file.resize(whole)) {
            fail(tr("%1 cannot be mended: %2")
                     .arg(QDir::toNativeSeparators(path), m_file.errorString()));
            m_file.close();
            return false;
        }
    }
    m_file.seek(whole);
    m_size = whole;
    return true;
}

void RecordWriter::write(const QByteArray &rows, int rowCount)
{
    if (m_failed || !m_file.isOpen() || rows.isEmpty())
        return;
    if (const QString problem = folderProblem(); !problem.isEmpty())
        return fail(problem);
    if (const QString reason = writeAll(m_file, rows); !reason.isEmpty()) {
        m_file.resize(m_size); // a part of a row is no row
        return fail(tr("%1 cannot be written: %2")
                        .arg(QDir::toNativeSeparators(m_file.fileName()), reason));
    }
    m_size += rows.size();
    m_rowsInFile += rowCount;
    Q_EMIT wrote(m_fileNumber, m_rowsInFile);
}

QString RecordWriter::writeAll(QIODevice &device, QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        const qint64 written = device.write(bytes.data(), bytes.size());
        if (written <= 0)
            return device.errorString();
        bytes = bytes.sliced(written);
    }
    return {};
}

void RecordWriter::tidy(QDate today, int keepDays)
{
    if (m_failed || m_folder.isEmpty())
        return;
    for (const QString &problem :
         RecordArchive::tidy(m_folder, today, keepDays, m_leaving).problems)
        Q_EMIT tidyingFailed(problem);
}

void RecordWriter::end()
{
    if (m_file.isOpen())
        m_file.close();
}

QString RecordWriter::folderProblem() const
{
    const QFileInfo folder(m_folder);
    const QString shown = QDir::toNativeSeparators(m_folder);
    if (!folder.exists())
        return tr("The folder %1 is not there.").arg(shown);
    if (!folder.isDir())
        return tr("%1 is not a folder.").arg(shown);
    if (!folder.isWritable())
        return tr("The folder %1 is not writable.").arg(shown);
    return {};
}

void RecordWriter::fail(const QString &reason)
{
    m_failed = true;
    end();
    Q_EMIT failed(m_fileNumber, reason);
}
