#pragma once

#include <QDate>
#include <QString>
#include <QStringView>
#include <optional>

// Where recordings go and what their files are called.
namespace RecordFiles {

// The user's documents folder, "Tarnwick" inside it.
QString defaultFolder();

// One file a day for a port: "tarnwick-COM4-2026-12-09.csv". A second file of the same day,
// begun when the header changed (names, captions) or an older file there is not one of
// ours, is "tarnwick-COM4-2026-12-09-2.csv", and so on.
QString fileName(int port, QDate day, int sequence = 1);

// What a recording's file name says; read back by readFileName.
struct FileName
{
    int port = 0;
    QDate day;
    int sequence = 1;
    bool compressed = false; // ".csv.gz", a finished day's file
};

// The name's parts for a name that fileName() makes, with ".gz" after it or not; nothing
// for any other name, so files in the folder that are not ours are never taken for ours.
std::optional<FileName> readFileName(QStringView name);

// How many files of one day and port are tried before recording gives up.
inline constexpr int sequenceLimit = 99;

} // namespace RecordFiles
