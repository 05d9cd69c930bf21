// The listener's life: opening, refusing ports it cannot have, closing at
// once from any server object, and answering C-ECHO from any AE title.

#include "DicomTools.h"
#include "EventLoopWait.h"
#include "LoopbackPorts.h"
#include "dicom/ToolkitServer.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpServer>
#include <QTest>
#include <unistd.h>

using namespace quorin::test;

namespace {

bool portIsFree(quint16 port)
{
    QTcpServer probe;
    return probe.listen(QHostAddress::AnyIPv4, port);
}

} // namespace

class tst_Listener : public QObject {
    Q_OBJECT

private slots:
    void opensOnAFreePortAndAnswersEcho()
    {
        ToolkitServer server;
        server.setServerFlag(true);
        const quint16 port = freeLoopbackPort();
        QVERIFY(server.OpenListener(port));
        const ToolRun echo = echoscu(port);
        QVERIFY2(echo.succeeded(), qPrintable(echo.output));
        server.CloseListener(port);
    }

    void acceptsAnyCalledAndCallingAETitle()
    {
        ToolkitServer server;
        const quint16 port = freeLoopbackPort();
        QVERIFY(server.OpenListener(port));
        const ToolRun echo = runTool(QStringLiteral("echoscu"),
                                     {QStringLiteral("-aet"), QStringLiteral("ANY_CALLER_9"), QStringLiteral("-aec"),
                                      QStringLiteral("WHATEVER"), QStringLiteral("127.0.0.1"), QString::number(port)});
        QVERIFY2(echo.succeeded(), qPrintable(echo.output));
        server.CloseListener(port);
    }

    void refusesPortsItCannotOpen_data()
    {
        QTest::addColumn<int>("port");
        QTest::newRow("zero") << 0;
        QTest::newRow("negative") << -1;
        QTest::newRow("above 65535") << 70000;
        if (geteuid() != 0)
            QTest::newRow("privileged") << 104;
    }

    void refusesPortsItCannotOpen()
    {
        QFETCH(int, port);
        ToolkitServer server;
        QVERIFY(!server.OpenListener(port));
        server.CloseListener(port);
    }

    void refusesAPortAnotherProgramListensOn()
    {
        QTcpServer other;
        QVERIFY(other.listen(QHostAddress::AnyIPv4, freeLoopbackPort()));
        ToolkitServer server;
        QVERIFY(!server.OpenListener(other.serverPort()));
    }

    void stopThenStartOnTheSamePortWorksAtOnce()
    {
        const quint16 port = freeLoopbackPort();
        for (int round = 0; round < 3; ++round) {
            ToolkitServer server;
            QVERIFY2(server.OpenListener(port), qPrintable(QStringLiteral("round %1").arg(round)));
            QVERIFY(echoscu(port).succeeded());
            QElapsedTimer closing;
            closing.start();
            server.CloseListener(port);
            QVERIFY2(closing.elapsed() < 500, qPrintable(QStringLiteral("%1 ms").arg(closing.elapsed())));
            QVERIFY(portIsFree(port));
        }
    }

    void closingWhatIsNotOpenIsHarmless()
    {
        ToolkitServer server;
        for (int port : {int(freeLoopbackPort()), 0, -5, 70000})
            server.CloseListener(port);
        const quint16 port = freeLoopbackPort();
        QVERIFY(server.OpenListener(port));
        server.CloseListener(port);
        server.CloseListener(port);
        QVERIFY(portIsFree(port));
    }

    // The main window replaces its server object on every start and stop and
    // closes through the newest one.
    void anyServerObjectClosesThePort()
    {
        const quint16 port = freeLoopbackPort();
        ToolkitServer opener;
        QVERIFY(opener.OpenListener(port));
        ToolkitServer replacement;
        replacement.CloseListener(port);
        QVERIFY(portIsFree(port));
        QVERIFY(!echoscu(port).succeeded());
    }

    // Opening a port this process already listens on hands it over; the
    // previous server object no longer owns it.
    void openingAnOpenPortHandsItOver()
    {
        const quint16 port = freeLoopbackPort();
        auto first = std::make_unique<ToolkitServer>();
        QVERIFY(first->OpenListener(port));
        ToolkitServer second;
        QVERIFY(second.OpenListener(port));
        first.reset();
        QVERIFY(echoscu(port).succeeded());
        second.CloseListener(port);
        QVERIFY(portIsFree(port));
    }

    void destroyingTheServerClosesItsListeners()
    {
        const quint16 port = freeLoopbackPort();
        auto server = std::make_unique<ToolkitServer>();
        QVERIFY(server->OpenListener(port));
        server.reset();
        QVERIFY(portIsFree(port));
    }
};

QTEST_GUILESS_MAIN(tst_Listener)
#include "tst_listener.moc"
