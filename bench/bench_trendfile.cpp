// What it costs the trend window's reader to open a week of recordings: seven day files
// as the recorder writes them, at one row per frame (180 ms: 480,000 rows a day, so the
// sample limit of 2 million stops the reading on the fifth day) and at one row per 10 s
// with a row at each change between, each as .csv and as .csv.gz. A plain program, so that
// callgrind counts the reading and nothing else:
//
//   bench/bench_trendfile write DIR                  makes the 28 files, says their sizes
//   bench/bench_trendfile read DIR frame|10s csv|gz [runs]
//   valgrind --tool=callgrind --collect-atstart=no bench/bench_trendfile read DIR frame gz 1
//
// Collection is switched on around readTrendFiles only. Without valgrind `read` prints the
// time of each run and the fastest.
#include "RecordCsv.h"
#include "TrendFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <valgrind/callgrind.h>
#include <zlib.h>

namespace {

constexpr int days = 7;
constexpr qint64 frameMs = 180;
constexpr qint64 slowRowMs = 10'000;
const QDate firstDay(2026, 11, 30);

// Scale factors of the six gauges as a bench might set them: the board's 0..255 reading
// times each.
constexpr std::array<double, 6> multipliers{0.0196, 0.1, 1.0, 0.5, 10.0, 0.392};

// A day of the panel: needles that wander with a little noise, relays that switch now and
// then, a link that drops for half a minute once a day.
struct Board
{
    quint32 noise = 12345;
    std::array<int, 6> raw{100, 120, 80, 200, 30, 150};
    std::array<bool, 64> relays{};
    QByteArray frame = "255,000,255,000,255,000,255,000,,010,200,012013,250,015,130,075, 1234\r";

    int random(int range)
    {
        noise = noise * 1103515245u + 12345u;
        return int((noise >> 16) % quint32(range));
    }

    // The state at `msecs` into the day; true when a relay switched since the last call.
    bool advance(qint64 msecs)
    {
        for (int m = 0; m < 6; ++m) {
            const double wave = 128 + 90 * std::sin(double(msecs) / (600'000.0 + 97'000.0 * m));
            raw[std::size_t(m)] = std::clamp(int(wave) + random(5) - 2, 0, 255);
        }
        // About one relay switch every ten minutes.
        const bool switched = random(3300) == 0;
        if (switched)
            relays[std::size_t(random(64))] ^= true;
        return switched;
    }

    RecordCsv::Sample sample(const QDateTime &time, bool live)
    {
        RecordCsv::Sample sample;
        sample.time = time;
        sample.link = live ? QStringLiteral("live") : QStringLiteral("no-reply");
        sample.relays = relays;
        for (int m = 0; m < 6; ++m) {
            sample.meters[std::size_t(m)] = raw[std::size_t(m)] * multipliers[std::size_t(m)];
            // The reading's three digits where the status frame holds them.
            static constexpr int at[6] = {33, 37, 41, 44, 48, 52};
            const QByteArray digits =
                QByteArray::number(raw[std::size_t(m)]).rightJustified(3, '0');
            frame.replace(at[m], 3, digits);
        }
        sample.fahrenheit = 72 + random(2);
        sample.frequency = QByteArray(" 123") + char('0' + random(10));
        sample.aout = {0, 128};
        sample.frame = frame;
        return sample;
    }
};

QString dayName(int day, const char *pace)
{
    return QStringLiteral("tarnwick-COM1-%1-%2.csv")
        .arg(QLatin1String(pace), firstDay.addDays(day).toString(Qt::ISODate));
}

// Writes one day as `path` and `path`.gz; returns false when either cannot be written.
bool writeDay(const QString &path, QDate date, qint64 stepMs, Board &board)
{
    QFile plain(path);
    gzFile gz = gzopen(QFile::encodeName(path + QStringLiteral(".gz")).constData(), "wb");
    if (!plain.open(QIODevice::WriteOnly) || !gz)
        return false;
    RecordCsv::Names names;
    for (int m = 0; m < 6; ++m)
        names.meters[std::size_t(m)] = QStringLiteral("Volts DC");
    QByteArray rows = RecordCsv::headerRow(names);
    const QDateTime start(date, QTime(0, 0));
    const qint64 outageFrom = 13 * 3'600'000, outageTo = outageFrom + 30'000;
    bool ok = true;
    const auto put = [&] {
        ok = ok && plain.write(rows) == rows.size() &&
             gzwrite(gz, rows.constData(), unsigned(rows.size())) == int(rows.size());
        rows.clear();
    };
    // At one row a frame every frame is a row; at a slower pace the frames between rows
    // still run, and a relay's switch writes a row of its own.
    for (qint64 msecs = 0; msecs < 24 * 3'600'000; msecs += frameMs) {
        const bool switched = board.advance(msecs);
        const bool live = msecs < outageFrom || msecs >= outageTo;
        if (msecs % stepMs >= frameMs && !switched)
            continue;
        RecordCsv::appendRow(rows, board.sample(start.addMSecs(msecs), live));
        if (rows.size() > (1 << 20))
            put();
    }
    put();
    return gzclose(gz) == Z_OK && ok;
}

int writeFiles(const QString &folder)
{
    if (!QDir().mkpath(folder))
        return 1;
    for (const auto &[pace, step] : {std::pair{"frame", frameMs}, {"10s", slowRowMs}}) {
        Board board;
        qint64 plainBytes = 0, gzBytes = 0;
        for (int day = 0; day < days; ++day) {
            const QString path = QDir(folder).filePath(dayName(day, pace));
            if (!writeDay(path, firstDay.addDays(day), step, board))
                return 1;
            plainBytes += QFileInfo(path).size();
            gzBytes += QFileInfo(path + QStringLiteral(".gz")).size();
        }
        std::printf("%-5s  %12.0f bytes a day as .csv, %11.0f as .csv.gz (%.1f:1)\n", pace,
                    double(plainBytes) / days, double(gzBytes) / days,
                    double(plainBytes) / double(gzBytes));
    }
    return 0;
}

int readFiles(const QString &folder, const QString &pace, const QString &kind, int runs)
{
    QStringList paths;
    for (int day = 0; day < days; ++day) {
        QString path = QDir(folder).filePath(dayName(day, qPrintable(pace)));
        if (kind == QLatin1String("gz"))
            path += QStringLiteral(".gz");
        if (!QFileInfo::exists(path)) {
            std::fprintf(stderr, "%s is missing: run 'write' first\n", qPrintable(path));
            return 1;
        }
        paths << path;
    }
    double fastest = INFINITY;
    for (int run = 0; run < runs; ++run) {
        const auto begin = std::chrono::steady_clock::now();
        CALLGRIND_TOGGLE_COLLECT;
        const TrendRecording recording = readTrendFiles(paths);
        CALLGRIND_TOGGLE_COLLECT;
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        fastest = std::min(fastest, seconds);
        if (!recording.error.isEmpty()) {
            std::fprintf(stderr, "not read: %s\n", qPrintable(recording.error));
            return 1;
        }
        // At one row a frame, the files after the limit are named as not read.
        std::printf("%-5s %-3s run %d: %8.3f s, %zu samples%s, %lld skipped, %lld files not "
                    "shown in full\n",
                    qPrintable(pace), qPrintable(kind), run + 1, seconds, recording.samples.size(),
                    recording.truncated ? " (limit reached)" : "",
                    static_cast<long long>(recording.skippedRows),
                    static_cast<long long>(recording.fileProblems.size()));
    }
    std::printf("%-5s %-3s fastest %.3f s\n", qPrintable(pace), qPrintable(kind), fastest);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString mode = arguments.value(1);
    if (mode == QLatin1String("write") && arguments.size() == 3)
        return writeFiles(arguments[2]);
    if (mode == QLatin1String("read") && arguments.size() >= 5)
        return readFiles(arguments[2], arguments[3], arguments[4],
                         std::max(1, arguments.value(5, QStringLiteral("3")).toInt()));
    std::fprintf(stderr, "usage: bench_trendfile write DIR\n"
                         "       bench_trendfile read DIR frame|10s csv|gz [runs]\n");
    return 2;
}
