// The relay between real peers: senders (storescu, gdcmscu) send the same
// images straight to an archive (storescp, Orthanc) and through the relay,
// whose handler stamps (0008,1070) and forwards; what the archive keeps must
// be the same both ways but for the stamp. And the listener's life:
// opening, refusing ports it cannot have, closing from any server object,
// answering C-ECHO from any AE title.

#include "RelayedCopyTests.h"
#include "TestFiles.h"
#include "dicom/internal/RelayWay.h"

#include <QScopeGuard>
#include <QTcpServer>

using namespace quorin::test;

class tst_Relay : public RelayedCopyTests {
    Q_OBJECT

private slots:
    // What the handler meets on an association of several images: "kept":
    // one archive association for all, reopened when the archive ended it
    // between two (here: restarted); "alternating": the destination changes
    // between images; "large": a small image waits in memory, one over 4 MB
    // in a temporary file (removed afterwards: see cleanup()), unless it is
    // passed on while it arrives, which needs no file.
    void imagesGoWhereTheHandlerSendsThem_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::newRow("kept archive association, reopened when it died") << "kept";
        QTest::newRow("destination changes between images") << "alternating";
        QTest::newRow("large image in a temporary file, small one in memory") << "large";
    }

    void imagesGoWhereTheHandlerSendsThem()
    {
        QFETCH(QString, scenario);
        StorescpArchive first(StorescpOptions{.verbose = true});
        StorescpArchive second;
        QVERIFY(first.start() && second.start());
        m_relay->setArchivePort(first.port());
        qsizetype associationsBeforeRestart = 0;
        QList<qsizetype> filesWhileWaiting;
        m_relay->setBeforeHandling([&] {
            filesWhileWaiting << LeftoverTemporaryFiles().size();
            if (scenario == "alternating") {
                m_relay->setArchivePort(m_relay->imagesRaised() % 2 ? first.port() : second.port());
            } else if (scenario == "kept" && m_relay->imagesRaised() == 3) {
                // Not "Received": the wait for its port counts as one too.
                associationsBeforeRestart = first.output().count(QStringLiteral("Association Acknowledged"));
                first.stop();
                first.start();
            }
        });
        const QStringList files = scenario == "large" ? QStringList{m_samples["uncompressed"], m_samples["large"]}
                                                   : m_images->series(scenario, 4);
        const ToolRun run = Storescu(m_relay->port(), files);
        QVERIFY2(run.succeeded(), qPrintable(run.output));
        if (scenario == "alternating") {
            verifyArrivedStamped({files[0], files[2]}, first);
            verifyArrivedStamped({files[1], files[3]}, second);
        } else {
            verifyArrivedStamped(files, first);
        }
        if (scenario == "kept")
            QCOMPARE(associationsBeforeRestart, qsizetype(1));
        if (scenario == "large")
            QCOMPARE(filesWhileWaiting, (QList<qsizetype>{0, quorin::dicom::CutThroughEnabled() ? 0 : 1}));
    }

    // Only an image the archive stored is answered with success; every
    // other one with the relay's failure, and the association goes on.
    void senderHearsFailureForEveryImageNotStored_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("stored"); // of three images
        // The handler fails at its first debug test and lets the image go.
        QTest::newRow("Debugmode not a number") << "let go" << 0;
        QTest::newRow("server flag off: nothing raised") << "flag off" << 0;
        // No usable archive address: the port beyond 16 bits (taken modulo
        // 65536 it would be the archive's), or a host of blanks.
        QTest::newRow("archive port out of range") << "port + 65536" << 0;
        QTest::newRow("no archive host") << "no host" << 0;
        // The image the handler has already got is still forwarded.
        QTest::newRow("listener closed at the first image") << "listener closed" << 1;
        QTest::newRow("server object replaced at the first image") << "server replaced" << 1;
        // Large images, and a file where the folder for them should be
        // (store and forward only: cut-through keeps no file).
        QTest::newRow("no temporary folder") << "no folder" << 0;
    }

    void senderHearsFailureForEveryImageNotStored()
    {
        QFETCH(QString, fault);
        QFETCH(int, stored);
        StorescpArchive archive;
        QVERIFY(archive.start());
        m_relay->setArchivePort(archive.port());
        m_relay->station().server()->setServerFlag(fault != "flag off");
        if (fault == "let go")
            m_relay->settings().Debugmode = QStringLiteral("ja");
        if (fault == "port + 65536")
            m_relay->settings().ArchivePort = QString::number(archive.port() + 65536);
        if (fault == "no host")
            m_relay->settings().ArchiveIP = QStringLiteral("  ");
        if (fault == "listener closed")
            m_relay->setBeforeHandling([this] { m_relay->station().stopListening(m_relay->port()); });
        if (fault == "server replaced")
            m_relay->setBeforeHandling([this] { m_relay->station().replaceServer(); });
        const bool cutThrough = quorin::dicom::CutThroughEnabled();
        const auto restore = qScopeGuard([cutThrough] {
            quorin::dicom::SetCutThroughEnabled(cutThrough);
            QFile::remove(RelayTemporaryFolder());
        });
        if (fault == "no folder") {
            quorin::dicom::SetCutThroughEnabled(false);
            QDir(RelayTemporaryFolder()).removeRecursively();
            QVERIFY(TestFiles::Write(RelayTemporaryFolder(), "x"));
        }

        const int side = fault == "no folder" ? 1500 : 64;
        const QStringList files = m_images->series("refused", 3, ImageRecipe{.rows = side, .columns = side});
        const ToolRun run = Storescu(m_relay->port(), files, {"-v", "-nh"});
        QCOMPARE(run.output.count(QStringLiteral("Received Store Response (Success)")), stored);
        QCOMPARE(run.output.count(kRefused), 3 - stored);
        QCOMPARE(archive.storedFiles().size(), stored);
        if (fault == "no folder")
            QCOMPARE(m_relay->imagesRaised(), 0);
    }

    // Opening a port this process already listens on hands it over: the
    // previous owner's end no longer closes it. The port is free again the
    // moment CloseListener returns, from any server object: the main window
    // replaces its server object on every start and stop and closes through
    // the newest one (the listener closed above, through the opening one).
    void answersEchoFromAnyAETitleHandsOverAndFreesThePort()
    {
        const quint16 port = FreeLoopbackPort();
        auto first = std::make_unique<ToolkitServer>();
        QVERIFY(first->OpenListener(port));
        ToolkitServer second;
        QVERIFY(second.OpenListener(port));
        first.reset();
        const ToolRun echo = RunTool(QStringLiteral("echoscu"),
                                     {"-aet", "ANY_CALLER_9", "-aec", "WHATEVER", "127.0.0.1", QString::number(port)});
        QVERIFY2(echo.succeeded(), qPrintable(echo.output));
        ToolkitServer().CloseListener(port);
#ifdef Q_OS_WIN
        // Nothing accepts there. Wine, unlike Windows, lets a closed listening
        // socket go a moment after closesocket(), and lets nobody bind a port
        // whose connections the relay closed wait out TIME_WAIT.
        QTRY_VERIFY_WITH_TIMEOUT(!WaitForListeningPort(port, 0), 2000);
#else
        QVERIFY(PortIsFree(port));
#endif
        second.CloseListener(port); // closing what is not open is harmless
    }

    void refusesPortsItCannotHave_data()
    {
        QTest::addColumn<int>("port");
        QTest::newRow("zero") << 0;
        QTest::newRow("above 65535") << 70000;
        QTest::newRow("another program listens") << int(FreeLoopbackPort());
    }

    void refusesPortsItCannotHave()
    {
        QFETCH(int, port);
        QTcpServer other;
        if (QByteArray(QTest::currentDataTag()) == "another program listens")
            QVERIFY(other.listen(QHostAddress::AnyIPv4, quint16(port)));
        ToolkitServer server;
        QVERIFY(!server.OpenListener(port));
        server.CloseListener(port);
    }
};

QTEST_GUILESS_MAIN(tst_Relay)
#include "tst_relay.moc"
