#pragma once
// The relayed copy against the direct one: the same images sent straight
// to an archive and through the relay must arrive the same but for the
// stamp.

#include "LoopbackProxy.h"
#include "RelayFixture.h"

#include <QtEndian>

namespace quorin::test {

const QString kExplicitLE = QStringLiteral("1.2.840.10008.1.2.1");
const QString kAsDirectly = QStringLiteral("as directly");

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

// The file meta information the archive wrote, as it would read had `title`
// called it: the calling AE title it records, and the group's length, which
// follows from it.
inline QStringList MetaAsCalledBy(const QString& file, const QString& title)
{
    static const QRegularExpression length(QStringLiteral("^\\(0002,0000\\) UL (\\d+)"));
    const auto padded = [](qsizetype size) { return size + size % 2; };
    const qsizetype change = padded(title.size()) - padded(RawValue(file, 0x0002, 0x0016).size());
    QStringList meta = MetaElements(file);
    for (QString& element : meta) {
        if (const QRegularExpressionMatch match = length.match(element); match.hasMatch())
            element = QStringLiteral("(0002,0000) UL %1").arg(match.captured(1).toLongLong() + change);
        else if (element.startsWith(QStringLiteral("(0002,0016)")))
            element = QStringLiteral("(0002,0016) AE [%1]").arg(title);
    }
    return meta;
}

class RelayedCopyTests : public RelayFixture {
    Q_OBJECT

private slots:
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
        const QStringList privateClass = StorescuProposing(m_folder.path(), kPrivateSopClass);
        row("all, private SOP class", {.image = "private", .proposal = privateClass, .archive = "all"});
        // The relay accepts any class; the archive refuses this one.
        row("uncompressed, private SOP class", {.image = "private", .proposal = privateClass, .relayed = kRefused});
        row("4 senders at once, 5 images each", {.sender = "storescu x4", .image = "series"});
        row("gdcmscu sender", {.sender = "gdcmscu", .image = "uncompressed", .archive = "all"});
        // Passed on while it arrives, cut to the archive's PDU size.
        row("archive taking 16 KB PDUs, large image", {.image = "large", .archive = "16 KB PDUs"});
        // Checks the AE titles as PACS do.
        row("Orthanc archive", {.image = "uncompressed", .archive = "orthanc"});
        // gdcmscu sends the bytes as they are (storescu would re-encode the
        // sequence with a length and recompute the group lengths).
        row("group lengths", {.sender = "gdcmscu", .image = "group lengths"});
        row("group lengths, Operators' Name replaced", {.sender = "gdcmscu", .image = "group lengths, Operators' Name there"});

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
        if (!kLinuxPeers && (route.sender == "gdcmscu" || route.archive == "orthanc" || route.image == "charset"
                             || route.image.startsWith(QStringLiteral("group lengths"))))
            QSKIP("Needs pydicom, gdcmscu or Orthanc: Linux programs.");
        ArchivePeer* peer = archive(route.archive);
        QVERIFY(peer);
        const QStringList files = route.image == "series" ? m_images->series("series", 20)
            : route.image == "charset" ? QStringList{m_images->make(QStringLiteral("charset-%1.dcm").arg(QTest::currentDataTag()))}
                                       : QStringList{m_samples[route.image]};
        if (route.image == "charset") {
            const ToolRun made = PydicomFiles({"write", files.first(), route.charset[0], route.charset[1]});
            QVERIFY2(made.succeeded(), qPrintable(made.output));
            m_relay->setOperator(route.charset[2]);
        }
        QVERIFY(!files.value(0).isEmpty());

        // What the relay sends an archive of small PDUs, seen on the way.
        LoopbackProxy toArchive(peer->port());
        const bool smallPdus = route.archive == "16 KB PDUs";
        QVERIFY(!smallPdus || toArchive.listen());
        if (smallPdus)
            m_relay->setArchivePort(toArchive.port());
        const Sent direct = send(peer->port(), route.sender, files, route.proposal + QStringList{"-aec", peer->aeTitle()}, *peer);
        const Sent through = send(m_relay->port(), route.sender, files, route.proposal, *peer);
        const QByteArray& sent = toArchive.clientBytes();
        for (qsizetype at = 0, length = 0; at + 6 <= sent.size(); at += 6 + length) {
            length = qFromBigEndian<quint32>(sent.constData() + at + 2);
            QVERIFY2(sent[at] != 0x04 || length <= 16384, qPrintable(QString::number(length))); // P-DATA
        }
        const QString log = QStringLiteral("direct:\n%1\nthrough the relay:\n%2").arg(direct.output, through.output);
        const QString expected = route.relayed == kAsDirectly ? direct.outcome() : route.relayed;
        QVERIFY2(through.outcome() == expected,
                 qPrintable(QStringLiteral("relayed: %1, expected: %2\n%3").arg(through.outcome(), expected, log)));
        if (route.relayed == kAsDirectly)
            QCOMPARE(through.copies.keys(), direct.copies.keys());
        if (route.sender != "gdcmscu") // which ends with an abort whatever happened
            QVERIFY2(through.acknowledged == (through.copies.size() == files.size()), qPrintable(log));
        for (auto copy = through.copies.cbegin(); copy != through.copies.cend() && !QTest::currentTestFailed(); ++copy) {
            VerifyStampedCopy(*copy, direct.copies.value(copy.key(), files.first()), route.stampBytes,
                              route.charset.isEmpty() ? QByteArray() : route.charset[3].toLatin1());
            if (route.relayed == kAsDirectly)
                QCOMPARE(MetaAsCalledBy(*copy, "QUORIN"), MetaAsCalledBy(direct.copies.value(copy.key()), "QUORIN"));
            if (route.archive != "orthanc") // which keeps the caller in its index, not in the file
                QCOMPARE(RawValue(*copy, 0x0002, 0x0016), QByteArray("QUORIN"));
        }
        if (route.image.startsWith(QStringLiteral("group lengths"))) {
            const ToolRun strict = PydicomFiles(QStringList{"wrong-group-lengths"} + through.copies.values());
            QVERIFY2(strict.succeeded(), qPrintable(strict.output));
        }
        if (!route.charset.isEmpty() && !QTest::currentTestFailed()) {
            // As pydicom reads them: the stamp; Patient's Name as sent.
            const ToolRun read = PydicomFiles({"read", through.copies.first(), files.first()});
            const QStringList names = read.output.split(u'\n');
            QVERIFY2(read.succeeded(), qPrintable(read.output));
            QCOMPARE(names.value(0), route.charset[4]);
            QCOMPARE(names.value(1), names.value(3));
        }
    }
};

} // namespace quorin::test
