#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <zlib.h>

// What zlib reads back from a gzip file, as zcat would; a plain file reads as it is.
inline QByteArray gunzip(const QString &path)
{
    gzFile file = gzopen(QFile::encodeName(path).constData(), "rb");
    if (!file)
        return {};
    QByteArray content;
    char piece[4096];
    for (int read; (read = gzread(file, piece, sizeof piece)) > 0;)
        content.append(piece, read);
    gzclose(file);
    return content;
}
