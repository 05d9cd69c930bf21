// The listener's life: opening, refusing ports it cannot have, closing from
// any server object, and answering C-ECHO from any AE title.

#include "DicomTools.h"
#include "LoopbackPorts.h"
#include "dicom/ToolkitServer.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTest>

using namespace quorin::test;

class tst_Listener : public QObject {
    Q_OBJECT

private slots:
    // Opening a port this process already listens on hands it over: the
    // previous owner's end no longer closes it. The port is free again the
    // moment CloseListener returns, from any server object: the main window
    // replaces its server object on every start and stop and closes through
    // the newest one (tst_relay closes through the opening one).
    void answersEchoFromAnyAETitleHandsOverAndFreesThePort()
    {
        const quint16 port = freeLoopbackPort();
        auto first = std::make_unique<ToolkitServer>();
        QVERIFY(first->OpenListener(port));
        ToolkitServer second;
        QVERIFY(second.OpenListener(port));
        first.reset();
        const ToolRun echo = runTool(QStringLiteral("echoscu"),
                                     {"-aet", "ANY_CALLER_9", "-aec", "WHATEVER", "127.0.0.1", QString::number(port)});
        QVERIFY2(echo.succeeded(), qPrintable(echo.output));
        ToolkitServer().CloseListener(port);
        QVERIFY(portIsFree(port));
        second.CloseListener(port); // closing what is not open is harmless
    }

    void refusesPortsItCannotHave_data()
    {
        QTest::addColumn<int>("port");
        QTest::newRow("zero") << 0;
        QTest::newRow("above 65535") << 70000;
        QTest::newRow("another program listens") << int(freeLoopbackPort());
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

QTEST_GUILESS_MAIN(tst_Listener)
#include "tst_listener.moc"
