// TLS toward the archive, set by the [Archive] keys of Settings.ini: storescp
// +tls archives with certificates made for the run. Whatever fails on the
// way to a secured archive fails the image as an archive that is down
// would: the sender hears so, one transfer message, the listener goes on,
// nothing stored. The sender's side stays plain.

#include "AppRelayStation.h"
#include "ArchivePeers.h"
#include "DatasetText.h"
#include "TestCertificates.h"
#include "TestImages.h"
#include "dicom/internal/TimeLimits.h"

#include <QTest>

#include <QScopeGuard>
#include <QTcpServer>
#include <QTcpSocket>

using namespace quorin::test;

namespace {

// What the relay's Settings.ini says beside the archive's address; a null
// text leaves the key out.
struct TlsKeys {
    QString tls = {};
    QString certificate = {}; // the relay's own files, by paths relative to the program folder
    QString key = {};
    QString trusted = QStringLiteral("ca.pem"); // by absolute path
    QString verify = {};
};

} // namespace

Q_DECLARE_METATYPE(TlsKeys)

class tst_Tls : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(m_certificates.make(), qPrintable(m_certificates.error()));
        QVERIFY(m_imageFolder.isValid());
        m_image = TestImages(m_imageFolder.path()).make(QStringLiteral("plain.dcm"));
    }

    // Rows by the archive met: "trusted" (signed by the CA the relay
    // trusts), "stranger" (by another CA), "asks" (trusted, and requires the
    // relay's certificate), "plain" (no TLS), "cuts" (closes each connection
    // before the handshake), "silent" (never answers the handshake; the
    // relay's limits shortened to 4 s).
    void forwardsAsTheTlsKeysSay_data()
    {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<TlsKeys>("keys");
        QTest::addColumn<bool>("stored");
        const TlsKeys on{"1"};
        const TlsKeys relay{"1", "relay.pem", "relay.key"};
        QTest::newRow("trusted archive: stored and stamped") << "trusted" << on << true;
        QTest::newRow("TLS written as a number: secured") << "trusted" << TlsKeys{" 01 "} << true;
        QTest::newRow("untrusted archive, verification by default: refused") << "stranger" << on << false;
        QTest::newRow("untrusted archive, verification blank: refused") << "stranger" << TlsKeys{"1", {}, {}, "ca.pem", ""} << false;
        QTest::newRow("untrusted archive, TLSVerifyArchive=0: stored") << "stranger" << TlsKeys{"1", {}, {}, "ca.pem", "0"} << true;
        QTest::newRow("no trusted certificates file: refused") << "trusted" << TlsKeys{"1", {}, {}, "missing.pem"} << false;
        QTest::newRow("archive without TLS: fails") << "plain" << on << false;
        QTest::newRow("no TLS keys: plain, as before") << "plain" << TlsKeys{} << true;
        QTest::newRow("TLS other than 1: plain, as before") << "plain" << TlsKeys{"yes"} << true;
        QTest::newRow("handshake cut off: fails") << "cuts" << on << false;
        QTest::newRow("handshake never answered: fails in time") << "silent" << on << false;
        QTest::newRow("archive asks for the relay's certificate: given") << "asks" << relay << true;
        QTest::newRow("archive asks, the relay has none: refused") << "asks" << on << false;
        QTest::newRow("key file missing") << "asks" << TlsKeys{"1", "relay.pem", "missing.key"} << false;
        QTest::newRow("key encrypted") << "asks" << TlsKeys{"1", "relay.pem", "locked.key"} << false;
        QTest::newRow("key does not fit the certificate") << "asks" << TlsKeys{"1", "relay.pem", "other.key"} << false;
        QTest::newRow("certificate without its key") << "asks" << TlsKeys{"1", "relay.pem", ""} << false;
    }

    void forwardsAsTheTlsKeysSay()
    {
        QFETCH(QString, archive);
        QFETCH(TlsKeys, keys);
        QFETCH(bool, stored);
        AppRelayStation relay;
        QVERIFY(relay.start());
        QTcpServer mute; // takes connections, speaks no TLS
        QObject::connect(&mute, &QTcpServer::newConnection, [&] {
            while (QTcpSocket* connection = mute.nextPendingConnection())
                archive == "cuts" ? connection->abort() : void();
        });
        std::unique_ptr<StorescpArchive> storescp;
        if (archive != "cuts" && archive != "silent")
            storescp = std::make_unique<StorescpArchive>(StorescpOptions{.tls = archiveTls(archive)});
        QVERIFY(storescp ? storescp->start() : mute.listen(QHostAddress::LocalHost));
        const quint16 port = storescp ? storescp->port() : mute.serverPort();
        QVERIFY(writeSettings(port, keys));
        relay.settings() = LoadSettings();

        const bool shortLimits = archive == "silent";
        if (shortLimits)
            quorin::dicom::SetArchiveTimeLimits({4, 4, 4});
        const auto restoreLimits = qScopeGuard([] { quorin::dicom::SetArchiveTimeLimits(quorin::dicom::DefaultArchiveTimeLimits()); });
        // Without a limit on the handshake the sender would wait for good.
        const ToolRun run = Storescu(relay.port(), {m_image}, {"-v"}, shortLimits ? 20000 : 120000);
        QVERIFY2(run.succeeded() == stored && run.output.contains(kRefused) != stored, qPrintable(run.output));
        const QStringList copies = storescp ? storescp->storedFiles() : QStringList();
        QCOMPARE(copies.size(), stored ? 1 : 0);
        if (stored)
            QCOMPARE(RawValue(copies.first(), 0x0008, 0x1070), QByteArray("AB"));
        QTRY_COMPARE(relay.transferMessages(), stored ? 0 : 1);
        QVERIFY(relay.station().isListening());
        // The debug log's lines as without TLS: the third only for a stored image.
        const QList<QByteArray> lines = TestFiles::Read(DebugLogPath()).split('\n');
        QCOMPARE(lines.size() - 1, stored ? 3 : 2);
        QVERIFY(lines[1].endsWith(" - Send to ARCHIVE - 127.0.0.1 - " + QByteArray::number(port) + "\r"));
        QVERIFY2(WaitForNoTemporaryFiles(), qPrintable(LeftoverTemporaryFiles().join(u' ')));
    }

private:
    // storescp's TLS options for an archive of the kind.
    QStringList archiveTls(const QString& archive) const
    {
        if (archive == "plain")
            return {};
        const QString name = archive == "stranger" ? "stranger" : "archive";
        const QStringList peer = archive == "asks" ? QStringList{"+cf", m_certificates.path("ca.pem"), "-rc"}
                                                   : QStringList{"-ic"};
        return QStringList{"+tls", m_certificates.path(name + ".key"), m_certificates.path(name + ".pem")} + peer;
    }

    // Settings.ini in the program folder.
    bool writeSettings(quint16 archivePort, const TlsKeys& keys) const
    {
        QByteArray ini = "[Archive]\r\nAET=ARCHIVE\r\nIP=127.0.0.1\r\nPort=" + QByteArray::number(archivePort) + "\r\n";
        const auto key = [&ini](const char* name, const QString& value) {
            if (!value.isNull())
                ini += name + QByteArray("=") + value.toUtf8() + "\r\n";
        };
        // The relay's own files relative to the program folder, where the test's are.
        const QString toCertificates = QDir(ProgramFolder()).relativeFilePath(m_certificates.path("")) + "/";
        key("TLS", keys.tls);
        key("TLSCertificate", keys.certificate.isEmpty() ? keys.certificate : toCertificates + keys.certificate);
        key("TLSPrivateKey", keys.key.isEmpty() ? keys.key : toCertificates + keys.key);
        key("TLSTrustedCertificates", keys.trusted.isEmpty() ? keys.trusted : m_certificates.path(keys.trusted));
        key("TLSVerifyArchive", keys.verify);
        ini += "[Local]\r\nLocalAET=QUORIN\r\nDebugmode=1\r\n";
        return TestFiles::Write(SettingsFilePath(), ini);
    }

    TestCertificates m_certificates;
    QTemporaryDir m_imageFolder;
    QString m_image;
};

QTEST_GUILESS_MAIN(tst_Tls)
#include "tst_tls.moc"
