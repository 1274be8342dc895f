// libmosquitto is loaded when a bridge first starts, not with the program; a library that
// cannot be loaded, or is not libmosquitto, is refused with a reason the bridge can name.
#include "MosquittoLibrary.h"
#include "TestMain.h"

#include <QFile>

class TestMosquittoLibrary : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void notLoadedWithTheProgram()
    {
        QFile maps(QStringLiteral("/proc/self/maps"));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        QVERIFY(!maps.readAll().contains("libmosquitto"));
    }

    void loadsTheInstalledLibraryWhole()
    {
        QString problem;
        const MosquittoLibrary *library = MosquittoLibrary::get(&problem);
        QVERIFY2(library, qPrintable(problem));
        QVERIFY(library->newClient && library->strerror && library->loop);
        // Initialised and usable: a client is made and let go.
        mosquitto *client = library->newClient(nullptr, true, nullptr);
        QVERIFY(client);
        library->destroy(client);
        QCOMPARE(QString::fromUtf8(library->strerror(MOSQ_ERR_NO_CONN)),
                 QStringLiteral("The client is not currently connected."));
        QCOMPARE(MosquittoLibrary::get(&problem), library); // once
    }

    void refusesWhatIsNotLibmosquitto_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<int>("version");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no such library")
            << u"tarnwick-no-such-library"_qs << 1 << u"tarnwick-no-such-library"_qs;
        QTest::newRow("another library") << u"m"_qs << 6 << u"has no mosquitto_lib_init"_qs;
    }

    void refusesWhatIsNotLibmosquitto()
    {
        QFETCH(QString, fileName);
        QFETCH(int, version);
        QFETCH(QString, reason);
        QString problem;
        QVERIFY(!MosquittoLibrary::load(fileName, version, &problem));
        QVERIFY2(problem.contains(reason), qPrintable(problem));
    }
};

TARNWICK_TEST_MAIN(TestMosquittoLibrary)
#include "tst_mosquittolibrary.moc"
