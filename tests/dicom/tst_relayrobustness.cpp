// The relay under bad senders: vanishing mid-association or mid-image,
// garbage and silence on the port, and a listener closed while images are
// on their way. Nothing may crash, leak a temporary file, raise an event for
// an incomplete image, or acknowledge an image that was not forwarded; the
// next good image must be relayed.

#include "ArchivePeers.h"
#include "DicomTools.h"
#include "EventLoopWait.h"
#include "LoopbackProxy.h"
#include "RelayHarness.h"
#include "TestImages.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

using namespace quorin::test;

class RelayRobustnessTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_images;
    QString m_small;
    QString m_large; // about 2 MB, so a cut lands inside its pixel data
    std::unique_ptr<StorescpArchive> m_archive;
    std::unique_ptr<RelayHarness> m_relay;

    void verifyNextImageIsRelayed()
    {
        const int before = m_relay->results().size();
        const ToolRun run = storescu(m_relay->port(), {m_small});
        QVERIFY2(run.succeeded(), qPrintable(run.output));
        QVERIFY(m_relay->waitForResults(before + 1));
        QVERIFY(m_relay->results().last().accepted);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_images.isValid());
        TestImages factory(m_images.path());
        m_small = factory.make(QStringLiteral("small.dcm"));
        ImageRecipe large;
        large.rows = 1024;
        large.columns = 1024;
        m_large = factory.make(QStringLiteral("large.dcm"), large);
        QVERIFY(!m_small.isEmpty() && !m_large.isEmpty());
    }

    void init()
    {
        m_archive = std::make_unique<StorescpArchive>();
        QVERIFY(m_archive->start());
        m_relay = std::make_unique<RelayHarness>();
        m_relay->setArchive(m_archive->port());
        QVERIFY(m_relay->start());
    }

    void cleanup()
    {
        m_relay.reset();
        m_archive.reset();
        QVERIFY2(waitForNoTemporaryFiles(), qPrintable(leftoverTemporaryFiles().join(u' ')));
    }

    void senderVanishingReportsNothing_data()
    {
        QTest::addColumn<qint64>("cutAfterBytes");
        QTest::newRow("inside the association request") << qint64(40);
        QTest::newRow("inside the image's pixel data") << qint64(1000000);
    }

    void senderVanishingReportsNothing()
    {
        QFETCH(qint64, cutAfterBytes);
        LoopbackProxy proxy(m_relay->port(), cutAfterBytes);
        QVERIFY(proxy.listen());
        const ToolRun run = storescu(proxy.port(), {m_large});
        QVERIFY(proxy.hasCut());
        QVERIFY(!run.succeeded());
        QVERIFY(waitForNoTemporaryFiles());
        QVERIFY(m_relay->results().isEmpty()); // raised only when passed on while arriving
        verifyNextImageIsRelayed();
        QCOMPARE(m_archive->storedFiles().size(), 1);
    }

    void garbageOnThePortIsIgnored_data()
    {
        QTest::addColumn<QByteArray>("garbage");
        QByteArray noise(20000, Qt::Uninitialized);
        QRandomGenerator generator(7);
        for (char& byte : noise)
            byte = char(generator.bounded(256));
        QTest::newRow("random bytes") << noise;
        // An association request header announcing far more than ever comes.
        QTest::newRow("huge announced length") << QByteArray::fromHex("0100ffffffff0001");
        QTest::newRow("text") << QByteArray("GET / HTTP/1.0\r\n\r\n");
    }

    void garbageOnThePortIsIgnored()
    {
        QFETCH(QByteArray, garbage);
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, m_relay->port());
        QVERIFY(socket.waitForConnected(2000));
        socket.write(garbage);
        socket.waitForBytesWritten(2000);
        waitFor(100);
        socket.abort();
        verifyNextImageIsRelayed();
        QCOMPARE(m_relay->imagesRaised(), 1);
    }

    // A connection that never speaks holds the listener only briefly: the
    // listener reads each association request in turn.
    void silentConnectionHoldsOtherSendersOnlyBriefly()
    {
        QTcpSocket silent;
        silent.connectToHost(QHostAddress::LocalHost, m_relay->port());
        QVERIFY(silent.waitForConnected(2000));
        QElapsedTimer timer;
        timer.start();
        verifyNextImageIsRelayed();
        QVERIFY2(timer.elapsed() < 10000, qPrintable(QStringLiteral("%1 ms").arg(timer.elapsed())));
        silent.abort();
    }

    // Images that arrive after the listener closed are refused; the one the
    // handler had already received is still forwarded.
    void closingTheListenerRefusesTheRestOfAnAssociation()
    {
        TestImages factory(m_images.path());
        const QStringList files{factory.make(QStringLiteral("c1.dcm")), factory.make(QStringLiteral("c2.dcm")),
                                factory.make(QStringLiteral("c3.dcm"))};
        m_relay->setBeforeHandling([this] { m_relay->server().CloseListener(m_relay->port()); });
        // -nh: storescu would stop at the first refusal otherwise.
        const ToolRun run = storescu(m_relay->port(), files, {QStringLiteral("-v"), QStringLiteral("-nh")});
        QCOMPARE(m_relay->imagesRaised(), 1);
        QVERIFY(m_relay->waitForResults(1));
        QVERIFY(m_relay->results().first().accepted);
        QCOMPARE(m_archive->storedFiles().size(), 1);
        QCOMPARE(run.output.count(QStringLiteral("Received Store Response (Success)")), 1);
        QCOMPARE(run.output.count(QStringLiteral("Received Store Response (Refused: OutOfResources)")), 2);
    }

    // A handler that gives an image up is heard by the sender at once, while
    // the handler still runs (as it does while it shows a message box).
    void releasedImageIsAnsweredWhileTheHandlerRuns()
    {
        m_relay->setDecision(RelayHarness::Decision::LetGo);
        std::unique_ptr<RunningTool> sender;
        bool answeredInHandler = false;
        QObject::connect(&m_relay->server(), &ToolkitServer::ImageReceivedAsync,
                         [&](std::shared_ptr<ToolkitConnection>, std::shared_ptr<ToolkitImage> image) {
                             image->ReleaseImage();
                             answeredInHandler = waitUntil([&] { return sender->done(); }, 10000);
                         });
        sender = startStorescu(m_relay->port(), {m_small}, {QStringLiteral("-v")});
        const ToolRun run = sender->result();
        QVERIFY(answeredInHandler);
        QVERIFY2(run.output.contains(QStringLiteral("Refused: OutOfResources")), qPrintable(run.output));
    }

    // An image the handler keeps without deciding is refused once the
    // server object that raised it is gone.
    void destroyedServerAnswersItsPendingImage()
    {
        m_relay->setDecision(RelayHarness::Decision::LetGo);
        std::shared_ptr<ToolkitImage> kept;
        QObject::connect(&m_relay->server(), &ToolkitServer::ImageReceivedAsync,
                         [&](std::shared_ptr<ToolkitConnection>, std::shared_ptr<ToolkitImage> image) {
                             kept = image;
                             m_relay->stop();
                             kept.reset();
                         });
        const ToolRun run = storescu(m_relay->port(), {m_small}, {QStringLiteral("-v")});
        QVERIFY2(run.output.contains(QStringLiteral("Refused: OutOfResources")), qPrintable(run.output));
        QVERIFY(m_archive->storedFiles().isEmpty());
    }
};

QTEST_GUILESS_MAIN(RelayRobustnessTest)
#include "tst_relayrobustness.moc"
