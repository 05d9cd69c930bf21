// The relay between real peers: senders (storescu, gdcmscu) send the same
// images straight to an archive (storescp, Orthanc) and through the relay,
// whose handler stamps (0008,1070) and forwards; what the archive keeps must
// be the same both ways but for the stamp. And the listener's life:
// opening, refusing ports it cannot have, closing from any server object,
// answering C-ECHO from any AE title.

#include "AppRelayStation.h"
#include "ArchivePeers.h"
#include "DatasetText.h"
#include "DicomTools.h"
#include "TestFiles.h"
#include "TestImages.h"
#include "dicom/internal/RelayWay.h"

#include <QDir>
#include <QScopeGuard>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <map>

using namespace quorin::test;

namespace {

const TagNumbers kOperatorsName{0x0008, 0x1070};
const TagNumbers kCharacterSet{0x0008, 0x0005};
const QString kExplicitLE = QStringLiteral("1.2.840.10008.1.2.1");
const QString kRefused = QStringLiteral("Refused: OutOfResources"); // the relay's failure, as storescu -v prints it
const QString kCannotConvert = QStringLiteral("sender cannot convert"); // storescu 3.6.7 neither compresses nor decompresses
const QString kAsDirectly = QStringLiteral("as directly");

struct Sent {
    QString output; // the senders'
    bool acknowledged = true; // every sender heard success
    QMap<QString, QString> copies; // SOP Instance UID -> the archive's copy

    // The copies' transfer syntax, or why none arrived.
    QString outcome() const
    {
        if (!copies.isEmpty())
            return transferSyntaxOf(copies.first());
        if (output.contains(QStringLiteral("unable to convert")))
            return kCannotConvert;
        return output.contains(kRefused) ? kRefused : QStringLiteral("failed");
    }
};

// A row of relayedCopyMatchesTheDirectPath.
struct Route {
    QString sender = QStringLiteral("storescu"); // or "gdcmscu", "storescu x4": at once, 5 images each
    QString image = {}; // a sample's kind, "series" (20 images), "charset": made from `charset`
    QStringList proposal = {}; // storescu's options
    QString archive = QStringLiteral("uncompressed"); // see tst_Relay::archive()
    QString relayed = kAsDirectly; // the outcome through the relay
    QStringList charset = {}; // see the rows
    QByteArray stampBytes = "AB"; // in the copy
};

// tests/dicom/pydicom_files.py: images made and read by another toolkit.
ToolRun pydicomFiles(const QStringList& arguments)
{
    return runTool(QStringLiteral("/usr/bin/python3"),
                   QStringList{QStringLiteral(QUORIN_SOURCE_DIR "/tests/dicom/pydicom_files.py")} + arguments);
}

// Group 0008's length changes with the stamp; pydicomFiles judges it.
QStringList withoutLengthOfGroup8(QStringList elements)
{
    static const QRegularExpression length(QStringLiteral("^\\(0008,0000\\) UL \\d+"));
    return elements.replaceInStrings(length, QStringLiteral("(0008,0000) UL"));
}

// `copy` is `reference` (decoded first where the syntaxes differ) but for
// the stamp, the length of its group and, recoded to UTF-8, the character
// set and every text in it.
void verifyStampedCopy(const QString& copy, const QString& reference, const QByteArray& stamp = "AB",
                       const QByteArray& characterSet = {})
{
    QCOMPARE(rawValue(copy, 0x0008, 0x1070), stamp);
    const QByteArray expectedSet = characterSet.isNull() ? rawValue(reference, 0x0008, 0x0005) : characterSet;
    QCOMPARE(rawValue(copy, 0x0008, 0x0005), expectedSet);
    if (expectedSet == "ISO_IR 192" && rawValue(reference, 0x0008, 0x0005) != expectedSet)
        return;
    const QStringList expected = datasetElements(reference, {kOperatorsName, kCharacterSet},
                                                 transferSyntaxOf(reference) != transferSyntaxOf(copy));
    QVERIFY(!expected.isEmpty());
    QCOMPARE(withoutLengthOfGroup8(datasetElements(copy, {kOperatorsName, kCharacterSet})),
             withoutLengthOfGroup8(expected));
}

// The file meta information the archive wrote, but for the calling AE title
// it recorded (the relay's own, QUORIN, not the sender's) and the group's
// length, which follows from it.
QStringList metaWithoutCaller(const QString& file)
{
    return metaElements(file).filter(QRegularExpression(QStringLiteral("^(?!\\(0002,00(00|16)\\))")));
}

} // namespace

Q_DECLARE_METATYPE(Route)

class tst_Relay : public QObject {
    Q_OBJECT

    QTemporaryDir m_folder;
    std::unique_ptr<TestImages> m_images;
    QString m_plain;
    QString m_large; // 6 MB: over the 4 MB the relay keeps in memory
    QMap<QString, QString> m_samples; // by the kinds of relayedCopyMatchesTheDirectPath
    std::map<QString, std::unique_ptr<ArchivePeer>> m_archives;
    std::unique_ptr<AppRelayStation> m_relay;
    int m_takes = 0;

    // "all": storescp +xa -pm, taking every syntax and unknown SOP classes;
    // "uncompressed": storescp taking uncompressed syntaxes of known classes;
    // "orthanc". Started on first use, kept for all tests.
    ArchivePeer* archive(const QString& kind)
    {
        std::unique_ptr<ArchivePeer>& archive = m_archives[kind];
        if (!archive) {
            archive.reset(kind == "orthanc" ? static_cast<ArchivePeer*>(new OrthancArchive)
                                            : new StorescpArchive(StorescpOptions{
                                                .acceptCompressed = kind == "all", .acceptUnknownSopClasses = kind == "all"}));
            if (!archive->start())
                archive.reset();
        }
        if (archive) {
            m_relay->setArchivePort(archive->port());
            m_relay->setTitles(QStringLiteral("QUORIN"), archive->aeTitle());
        }
        return archive.get();
    }

    // The archive's copies, taken out of it, by SOP Instance UID.
    QMap<QString, QString> take(ArchivePeer& archive)
    {
        const QString folder = m_folder.filePath(QStringLiteral("taken-%1").arg(++m_takes));
        QDir().mkpath(folder);
        QMap<QString, QString> copies;
        for (const QString& copy : archive.takeStoredFiles(folder))
            copies[QString::fromLatin1(rawValue(copy, 0x0008, 0x0018))] = copy;
        return copies;
    }

    void verifyArrivedStamped(const QStringList& files, ArchivePeer& archive)
    {
        const QMap<QString, QString> copies = take(archive);
        QCOMPARE(copies.size(), files.size());
        for (const QString& file : files)
            verifyStampedCopy(copies.value(QString::fromLatin1(rawValue(file, 0x0008, 0x0018))), file);
    }

    // `sender` ("storescu", "gdcmscu", "storescu x4": at once, 5 images each)
    // sends `files` to `port`; what reached `archive`.
    Sent send(quint16 port, const QString& sender, const QStringList& files, const QStringList& proposal,
              ArchivePeer& archive)
    {
        QList<ToolRun> runs;
        if (sender == "gdcmscu")
            runs << gdcmscuStore(port, files.first());
        else if (sender == "storescu")
            runs << storescu(port, files, proposal + QStringList{"-v"});
        else
            runs = storescuInParallel(port, {files.mid(0, 5), files.mid(5, 5), files.mid(10, 5), files.mid(15, 5)});
        Sent sent;
        for (const ToolRun& run : runs) {
            sent.output += run.output;
            sent.acknowledged &= run.succeeded();
        }
        sent.copies = take(archive);
        return sent;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        m_images = std::make_unique<TestImages>(m_folder.path());
        m_plain = m_images->make(QStringLiteral("plain.dcm"));
        m_large = m_images->make(QStringLiteral("large.dcm"), ImageRecipe{.rows = 1024, .columns = 1024, .frames = 3});
        // Group lengths in every group, group 0008 with a sequence of
        // undefined length, and Operators' Name there already or not.
        const auto withGroupLengths = [this](const char* name, const QStringList& operatorsName) {
            const QString file = m_images->make(name);
            return pydicomFiles(QStringList{"group-lengths", file} + operatorsName).succeeded() ? file : QString();
        };
        m_samples = {{"uncompressed", m_plain},
                     {"group lengths", withGroupLengths("lengths.dcm", {})},
                     {"group lengths, Operators' Name there", withGroupLengths("lengths-name.dcm", {"LONGER^NAME"})},
                     {"JPEG baseline", m_images->convert("dcmcjpeg", m_plain, "baseline.dcm", {"+eb"})},
                     {"JPEG lossless", m_images->convert("dcmcjpeg", m_plain, "lossless.dcm")},
                     {"RLE", m_images->convert("dcmcrle", m_plain, "rle.dcm")},
                     {"deflated", m_images->convert("dcmconv", m_plain, "deflated.dcm", {"+td"})},
                     {"JPEG 2000", m_images->jpeg2000Relabelled(m_plain, "j2k.dcm")},
                     {"private", m_images->make("private.dcm", ImageRecipe{.sopClassUid = kPrivateSopClass})}};
        QVERIFY(!m_large.isEmpty() && !m_samples.values().contains(QString()));
    }

    void init()
    {
        m_relay = std::make_unique<AppRelayStation>();
        QVERIFY(m_relay->start());
    }

    void cleanup()
    {
        m_relay.reset();
        for (auto& [kind, archive] : m_archives) {
            if (archive)
                take(*archive); // a failed test's leftovers
        }
        QVERIFY2(waitForNoTemporaryFiles(), qPrintable(leftoverTemporaryFiles().join(u' ')));
    }

    // A sender sends as it would to the archive itself: the relay accepts
    // the syntax the archive would (storescp +xa, the reference) and passes
    // the image on unchanged but for the stamp. Where the paths part, the
    // row says what the relay does instead.
    void relayedCopyMatchesTheDirectPath_data()
    {
        QTest::addColumn<Route>("route");
        const QMap<QString, QString> exceptions{
            // One context offers a lossy and an uncompressed syntax: never lossy
            // beside lossless; the archive picks the lossy one, which storescu
            // cannot compress to.
            {"all -xy +C uncompressed", kExplicitLE},
            {"all -xy +C JPEG baseline", kCannotConvert},
            // The relay decompresses what storescu cannot for this archive.
            {"uncompressed -xy JPEG baseline", kExplicitLE},
            {"uncompressed -xs JPEG lossless", kExplicitLE},
            {"uncompressed -xs +C JPEG lossless", kExplicitLE},
            {"uncompressed -xr RLE", kExplicitLE},
            {"uncompressed -xr +C RLE", kExplicitLE},
            // ... but has no JPEG 2000 decoder: its failure reaches the sender.
            {"uncompressed -xv JPEG 2000", kRefused},
            {"uncompressed -xv +C JPEG 2000", kRefused},
            // Not knowing the archive's syntaxes, the relay follows the
            // sender's order, a compressed syntax storescu cannot make.
            {"uncompressed -xs +C uncompressed", kCannotConvert},
            {"uncompressed -xr +C uncompressed", kCannotConvert},
            {"uncompressed -xv +C uncompressed", kCannotConvert},
        };
        const auto row = [](const QString& tag, const Route& route) { QTest::newRow(qPrintable(tag)) << route; };
        for (const QString archive : {"all", "uncompressed"}) {
            for (const QString combined : {"", "+C"}) {
                for (const QString option : {"", "-xe", "-xb", "-xi", "-xs", "-xy", "-xv", "-xr", "-xd"}) {
                    const QStringList images = option == "-xd" ? QStringList{"deflated"}
                        : QStringList{"uncompressed", "JPEG baseline", "JPEG lossless", "RLE", "JPEG 2000"};
                    for (const QString& image : images) {
                        const QString tag = QStringLiteral("%1 %2%3 %4").arg(archive, option.isEmpty() ? "default" : option,
                                                                             combined.isEmpty() ? "" : " +C", image);
                        QStringList proposal{option, combined};
                        proposal.removeAll(QString());
                        row(tag, {.image = image, .proposal = proposal, .archive = archive,
                                  .relayed = exceptions.value(tag, kAsDirectly)});
                    }
                }
            }
        }
        const QStringList privateClass = storescuProposing(m_folder.path(), kPrivateSopClass);
        row("all, private SOP class", {.image = "private", .proposal = privateClass, .archive = "all"});
        // The relay accepts any class; the archive refuses this one.
        row("uncompressed, private SOP class", {.image = "private", .proposal = privateClass, .relayed = kRefused});
        row("4 senders at once, 5 images each", {.sender = "storescu x4", .image = "series"});
        row("gdcmscu sender", {.sender = "gdcmscu", .image = "uncompressed", .archive = "all"});
        // Checks the AE titles as PACS do.
        row("Orthanc archive", {.image = "uncompressed", .archive = "orthanc"});
        row("group lengths", {.image = "group lengths"});
        row("group lengths, Operators' Name replaced", {.image = "group lengths, Operators' Name there"});

        // The stamp in a character set the image declares: Latin-1 is added
        // to code extensions; other sets are kept where they hold the stamp,
        // or the whole image becomes UTF-8. `check`: the image's Specific
        // Character Set|its Patient's Name|the stamp|the copy's Specific
        // Character Set[|the stamp as pydicom reads it, when not as written].
        const auto charset = [&row](const char* tag, const QString& check, const QByteArray& stampBytes) {
            QStringList values = check.split(u'|');
            if (values.size() == 4)
                values << values[2];
            row(tag, {.image = "charset", .charset = values, .stampBytes = stampBytes});
        };
        const QString japanese = QStringLiteral("Yamada^Tarou=山田^太郎=やまだ^たろう");
        charset("Latin-1 image", "ISO_IR 100|Müller^Hans|Ä|ISO_IR 100", "\xC4");
        charset("no character set: recoded to UTF-8", "|Mueller^Hans|Ä|ISO_IR 192", "\xC3\x84");
        charset("Latin-1 image, Cyrillic stamp: recoded to UTF-8", "ISO_IR 100|Müller^Hans|Ж|ISO_IR 192", "\xD0\x96");
        charset("GB18030 holds the stamp", "GB18030|Wang^XiaoDong=王^小东|MÜ|GB18030", "M\x81\x30\x89\x35");
        // Without the designation a reader takes the Latin-1 bytes for katakana.
        charset("Japanese with katakana",
                "ISO 2022 IR 13\\ISO 2022 IR 87|ﾔﾏﾀﾞ^ﾀﾛｳ=山田^太郎=やまだ^たろう|MÜLLER-SCHÖNBERG"
                "|ISO 2022 IR 13\\ISO 2022 IR 87\\ISO 2022 IR 100",
                "M\x1B-A\xDCLLER-SCH\xD6NBERG");
        // Name components start over in the first value's state.
        charset("Japanese, ASCII first value, two components",
                "ISO 2022 IR 6\\ISO 2022 IR 87|" + japanese + "|Ö^MÜ|ISO 2022 IR 6\\ISO 2022 IR 87\\ISO 2022 IR 100",
                "\x1B-A\xD6^M\x1B-A\xDC");
        charset("Japanese, Latin-1 declared already",
                "ISO 2022 IR 100\\ISO 2022 IR 87|Müller^Hans=山田^太郎|MÜ|ISO 2022 IR 100\\ISO 2022 IR 87", "M\x1B-A\xDC");
        // An empty first value; Windows-1252's own letters are not in Latin-1:
        // transliterated.
        charset("Korean, Windows-1252 letters",
                "\\ISO 2022 IR 149|Hong^Gildong=洪^吉洞=홍^길동|ŠÉ€|\\ISO 2022 IR 149\\ISO 2022 IR 100|SÉEUR",
                "S\x1B-A\xC9""EUR");
    }

    void relayedCopyMatchesTheDirectPath()
    {
        QFETCH(Route, route);
        const QStringList& charset = route.charset;
        ArchivePeer* peer = archive(route.archive);
        QVERIFY(peer);
        const QStringList files = route.image == "series" ? m_images->series("series", 20)
            : route.image == "charset" ? QStringList{m_images->make(QStringLiteral("charset-%1.dcm").arg(QTest::currentDataTag()))}
                                       : QStringList{m_samples[route.image]};
        if (route.image == "charset") {
            const ToolRun made = pydicomFiles({"write", files.first(), charset[0], charset[1]});
            QVERIFY2(made.succeeded(), qPrintable(made.output));
            m_relay->setOperator(charset[2]);
        }
        QVERIFY(!files.value(0).isEmpty());

        const Sent direct = send(peer->port(), route.sender, files, route.proposal + QStringList{"-aec", peer->aeTitle()}, *peer);
        const Sent through = send(m_relay->port(), route.sender, files, route.proposal, *peer);
        const QString log = QStringLiteral("direct:\n%1\nthrough the relay:\n%2").arg(direct.output, through.output);
        const QString expected = route.relayed == kAsDirectly ? direct.outcome() : route.relayed;
        QVERIFY2(through.outcome() == expected,
                 qPrintable(QStringLiteral("relayed: %1, expected: %2\n%3").arg(through.outcome(), expected, log)));
        if (route.relayed == kAsDirectly)
            QCOMPARE(through.copies.keys(), direct.copies.keys());
        if (route.sender != "gdcmscu") // which ends with an abort whatever happened
            QVERIFY2(through.acknowledged == (through.copies.size() == files.size()), qPrintable(log));
        for (auto copy = through.copies.cbegin(); copy != through.copies.cend() && !QTest::currentTestFailed(); ++copy) {
            verifyStampedCopy(*copy, direct.copies.value(copy.key(), files.first()), route.stampBytes,
                              charset.isEmpty() ? QByteArray() : charset[3].toLatin1());
            if (route.relayed == kAsDirectly)
                QCOMPARE(metaWithoutCaller(*copy), metaWithoutCaller(direct.copies.value(copy.key())));
            const QStringList caller = metaElements(*copy).filter(QStringLiteral("(0002,0016)"));
            QVERIFY2(caller.isEmpty() || caller.first().contains(QStringLiteral("[QUORIN]")), qPrintable(caller.join(u' ')));
        }
        if (route.image.startsWith(QStringLiteral("group lengths"))) {
            const ToolRun strict = pydicomFiles(QStringList{"wrong-group-lengths"} + through.copies.values());
            QVERIFY2(strict.succeeded(), qPrintable(strict.output));
        }
        if (!charset.isEmpty() && !QTest::currentTestFailed()) {
            // As pydicom reads them: the stamp; Patient's Name as sent.
            const ToolRun read = pydicomFiles({"read", through.copies.first(), files.first()});
            const QStringList names = read.output.split(u'\n');
            QVERIFY2(read.succeeded(), qPrintable(read.output));
            QCOMPARE(names.value(0), charset[4]);
            QCOMPARE(names.value(1), names.value(3));
        }
    }

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
            filesWhileWaiting << leftoverTemporaryFiles().size();
            if (scenario == "alternating") {
                m_relay->setArchivePort(m_relay->imagesRaised() % 2 ? first.port() : second.port());
            } else if (scenario == "kept" && m_relay->imagesRaised() == 3) {
                // Not "Received": the wait for its port counts as one too.
                associationsBeforeRestart = first.output().count(QStringLiteral("Association Acknowledged"));
                first.stop();
                first.start();
            }
        });
        const QStringList files = scenario == "large" ? QStringList{m_plain, m_large} : m_images->series(scenario, 4);
        const ToolRun run = storescu(m_relay->port(), files);
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
            QCOMPARE(filesWhileWaiting, (QList<qsizetype>{0, quorin::dicom::cutThroughEnabled() ? 0 : 1}));
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
            m_relay->setDebugMode(QStringLiteral("ja"));
        if (fault == "listener closed")
            m_relay->setBeforeHandling([this] { m_relay->station().stopListening(m_relay->port()); });
        if (fault == "server replaced")
            m_relay->setBeforeHandling([this] { m_relay->station().replaceServer(); });
        const bool cutThrough = quorin::dicom::cutThroughEnabled();
        const auto restore = qScopeGuard([cutThrough] {
            quorin::dicom::setCutThroughEnabled(cutThrough);
            QFile::remove(relayTemporaryFolder());
        });
        if (fault == "no folder") {
            quorin::dicom::setCutThroughEnabled(false);
            QDir(relayTemporaryFolder()).removeRecursively();
            QVERIFY(TestFiles::write(relayTemporaryFolder(), "x"));
        }

        const int side = fault == "no folder" ? 1500 : 64;
        const QStringList files = m_images->series("refused", 3, ImageRecipe{.rows = side, .columns = side});
        const ToolRun run = storescu(m_relay->port(), files, {"-v", "-nh"});
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

QTEST_GUILESS_MAIN(tst_Relay)
#include "tst_relay.moc"
