#pragma once

#include <QDate>
#include <QString>

// Where recordings go and what their files are called.
namespace RecordFiles {

// The user's documents folder, "Tarnwick" inside it.
QString defaultFolder();

// One file a day for a port: "tarnwick-COM4-2026-12-09.csv". A second file of the same day,
// begun when the header changed (names, captions) or an older file there is not one of
// ours, is "tarnwick-COM4-2026-12-09-2.csv", and so on.
QString fileName(int port, QDate day, int sequence = 1);

// How many files of one day and port are tried before recording gives up.
inline constexpr int sequenceLimit = 99;

} // namespace RecordFiles
