#include "RecordArchive.h"

#include "RecordFiles.h"
#include "RecordWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QScopeGuard>
#include <zlib.h>

namespace RecordArchive {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("RecordArchive", text);
}

// Every recording begins so; a file with our name and another beginning is left alone.
constexpr QByteArrayView ourBeginning = "Time,Link,R1,";

constexpr qsizetype pieceSize = 256 * 1024;

// Reads the first bytes of a plain or a gzip file alike: zlib reads a plain file as it is.
bool beginsAsOurs(const QString &path)
{
    gzFile file = gzopen(QFile::encodeName(path).constData(), "rb");
    if (!file)
        return false;
    char first[ourBeginning.size()];
    const int read = gzread(file, first, unsigned(sizeof first));
    gzclose(file);
    return read == int(sizeof first) && ourBeginning == QByteArrayView(first, sizeof first);
}

} // namespace

QString compress(const QString &path, const std::atomic_bool &cancel)
{
    const QString shown = QDir::toNativeSeparators(path);
    QFile plain(path);
    if (!plain.open(QIODevice::ReadOnly))
        return tr("%1 cannot be read: %2").arg(shown, plain.errorString());
    QSaveFile packed(path + QStringLiteral(".gz"));
    if (!packed.open(QIODevice::WriteOnly))
        return tr("%1.gz cannot be made: %2").arg(shown, packed.errorString());

    z_stream stream{};
    // 16 above the window's bits asks zlib for a gzip header and trailer.
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, MAX_WBITS + 16, 8,
                     Z_DEFAULT_STRATEGY) != Z_OK)
        return tr("%1 cannot be compressed: %2").arg(shown, QString::fromLatin1(stream.msg));
    const auto endStream = qScopeGuard([&stream] { deflateEnd(&stream); });

    QByteArray in(pieceSize, Qt::Uninitialized);
    QByteArray out(pieceSize, Qt::Uninitialized);
    int flush = Z_NO_FLUSH;
    while (flush != Z_FINISH) {
        if (cancel.load()) {
            packed.cancelWriting();
            return tr("Compressing %1 was left for the next start.").arg(shown);
        }
        const qint64 read = plain.read(in.data(), in.size());
        if (read < 0)
            return tr("%1 cannot be read: %2").arg(shown, plain.errorString());
        flush = read == 0 ? Z_FINISH : Z_NO_FLUSH;
        stream.next_in = reinterpret_cast<Bytef *>(in.data());
        stream.avail_in = uInt(read);
        do {
            stream.next_out = reinterpret_cast<Bytef *>(out.data());
            stream.avail_out = uInt(out.size());
            deflate(&stream, flush); // cannot fail with a stream set up and buffers given
            const QByteArrayView done(out.constData(), out.size() - stream.avail_out);
            if (const QString reason = RecordWriter::writeAll(packed, done); !reason.isEmpty())
                return tr("%1.gz cannot be written: %2").arg(shown, reason);
        } while (stream.avail_out == 0);
    }
    if (!packed.commit())
        return tr("%1.gz cannot be written: %2").arg(shown, packed.errorString());
    plain.close();
    if (!plain.remove())
        return tr("%1 is compressed but cannot be removed: %2").arg(shown, plain.errorString());
    return {};
}

Tidied tidy(const QString &folder, QDate today, int keepDays, const std::atomic_bool &cancel)
{
    Tidied tidied;
    const QDir dir(folder);
    const QDate oldestKept = keepDays > 0 ? today.addDays(-keepDays) : QDate();
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name)) {
        if (cancel.load())
            break;
        const std::optional<RecordFiles::FileName> file = RecordFiles::readFileName(name);
        if (!file || file->day >= today)
            continue;
        const QString path = dir.filePath(name);
        if (!beginsAsOurs(path))
            continue;
        if (oldestKept.isValid() && file->day < oldestKept) {
            if (QFile::remove(path))
                tidied.removed << path;
            else
                tidied.problems << tr("%1 cannot be removed.").arg(QDir::toNativeSeparators(path));
            continue;
        }
        if (file->compressed)
            continue;
        if (const QString problem = compress(path, cancel); problem.isEmpty())
            tidied.compressed << path;
        else
            tidied.problems << problem;
    }
    return tidied;
}

} // namespace RecordArchive
