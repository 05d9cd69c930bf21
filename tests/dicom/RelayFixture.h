#pragma once
// What the relay tests stand on: images made for them, the application's
// relay, archives started on first use, senders, and the archives' copies
// compared with what was sent.

#include "AppRelayStation.h"
#include "ArchivePeers.h"
#include "DatasetText.h"
#include "DicomTools.h"
#include "TestImages.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <map>

namespace quorin::test {

const TagNumbers kOperatorsName{0x0008, 0x1070};
const TagNumbers kCharacterSet{0x0008, 0x0005};
const QString kCannotConvert = QStringLiteral("sender cannot convert"); // storescu 3.6.7 neither compresses nor decompresses

struct Sent {
    QString output; // the senders'
    bool acknowledged = true; // every sender heard success
    QMap<QString, QString> copies; // SOP Instance UID -> the archive's copy

    // The copies' transfer syntax, or why none arrived.
    QString outcome() const
    {
        if (!copies.isEmpty())
            return TransferSyntaxOf(copies.first());
        if (output.contains(QStringLiteral("unable to convert")))
            return kCannotConvert;
        return output.contains(kRefused) ? kRefused : QStringLiteral("failed");
    }
};

// pydicom, gdcmscu and Orthanc are Linux programs here: the Windows build's
// tests, run under Wine, leave the rows that need them to the Linux build.
const bool kLinuxPeers = QSysInfo::productType() != "windows";

// tests/dicom/pydicom_files.py: images made and read by another toolkit.
inline ToolRun PydicomFiles(const QStringList& arguments)
{
    return RunTool(QStringLiteral("/usr/bin/python3"),
                   QStringList{QStringLiteral(QUORIN_SOURCE_DIR "/tests/dicom/pydicom_files.py")} + arguments);
}

// Group 0008's length changes with the stamp; pydicomFiles judges it. A
// sequence's length may be written out (as storescu does) where the sender
// left it undefined, the same content.
inline QStringList WithoutLengthEncodings(QStringList elements)
{
    static const QRegularExpression length(QStringLiteral("^\\(0008,0000\\) UL \\d+"));
    static const QRegularExpression encoded(QStringLiteral("(Sequence|Item) with (explicit|undefined) length (#=\\d+)\\) # +(\\d+|u/l)"));
    static const QRegularExpression delimiter(QStringLiteral("\\n *\\(fffe,e0[0d]d\\)[^\\n]*"));
    return elements.replaceInStrings(length, QStringLiteral("(0008,0000) UL"))
        .replaceInStrings(encoded, QStringLiteral("\\1 \\3)"))
        .replaceInStrings(delimiter, QString());
}

// `copy` is `reference` (decoded first where the syntaxes differ) but for
// the stamp, the length of its group and, recoded to UTF-8, the character
// set and every text in it.
inline void VerifyStampedCopy(const QString& copy, const QString& reference, const QByteArray& stamp = "AB",
                              const QByteArray& characterSet = {})
{
    QCOMPARE(RawValue(copy, 0x0008, 0x1070), stamp);
    const QByteArray expectedSet = characterSet.isNull() ? RawValue(reference, 0x0008, 0x0005) : characterSet;
    QCOMPARE(RawValue(copy, 0x0008, 0x0005), expectedSet);
    if (expectedSet == "ISO_IR 192" && RawValue(reference, 0x0008, 0x0005) != expectedSet)
        return;
    const QStringList expected = DatasetElements(reference, {kOperatorsName, kCharacterSet},
                                                 TransferSyntaxOf(reference) != TransferSyntaxOf(copy));
    QVERIFY(!expected.isEmpty());
    QCOMPARE(WithoutLengthEncodings(DatasetElements(copy, {kOperatorsName, kCharacterSet})),
             WithoutLengthEncodings(expected));
}

class RelayFixture : public QObject {
    Q_OBJECT

protected:
    QTemporaryDir m_folder;
    std::unique_ptr<TestImages> m_images;
    // By the kinds of relayedCopyMatchesTheDirectPath; "large": 6 MB, over
    // the 4 MB the relay keeps in memory.
    QMap<QString, QString> m_samples;
    std::map<QString, std::unique_ptr<ArchivePeer>> m_archives;
    std::unique_ptr<AppRelayStation> m_relay;
    int m_takes = 0;

    // "all": storescp +xa -pm, taking every syntax and unknown SOP classes;
    // "uncompressed": storescp taking uncompressed syntaxes of known classes;
    // "16 KB PDUs": that one taking PDUs of at most 16 KB, as Orthanc by
    // default; "orthanc". Started on first use, kept for all tests.
    ArchivePeer* archive(const QString& kind)
    {
        std::unique_ptr<ArchivePeer>& archive = m_archives[kind];
        if (!archive) {
            archive.reset(kind == "orthanc" ? static_cast<ArchivePeer*>(new OrthancArchive)
                                            : new StorescpArchive(StorescpOptions{
                                                .acceptCompressed = kind == "all", .acceptUnknownSopClasses = kind == "all",
                                                .pduBytes = kind == "16 KB PDUs" ? 16384 : 131072}));
            if (!archive->start())
                archive.reset();
        }
        if (archive) {
            m_relay->setArchivePort(archive->port());
            m_relay->settings().ArchiveAET = archive->aeTitle();
        }
        return archive.get();
    }

    // The archive's copies, moved out of it (emptying it), by SOP Instance UID.
    QMap<QString, QString> take(ArchivePeer& archive)
    {
        const QDir folder(m_folder.filePath(QStringLiteral("taken-%1").arg(++m_takes)));
        folder.mkpath(QStringLiteral("."));
        QMap<QString, QString> copies;
        for (const QString& stored : archive.storedFiles()) {
            const QString copy = folder.filePath(QFileInfo(stored).fileName());
            QFile::rename(stored, copy);
            copies[QString::fromLatin1(RawValue(copy, 0x0008, 0x0018))] = copy;
        }
        return copies;
    }

    void verifyArrivedStamped(const QStringList& files, ArchivePeer& archive)
    {
        const QMap<QString, QString> copies = take(archive);
        QCOMPARE(copies.size(), files.size());
        for (const QString& file : files)
            VerifyStampedCopy(copies.value(QString::fromLatin1(RawValue(file, 0x0008, 0x0018))), file);
    }

    // `sender` ("storescu", "gdcmscu", "storescu x4": at once, 5 images each)
    // sends `files` to `port`; what reached `archive`.
    Sent send(quint16 port, const QString& sender, const QStringList& files, const QStringList& proposal,
              ArchivePeer& archive)
    {
        QList<ToolRun> runs;
        if (sender == "gdcmscu") // which ends with an abort even when the store worked
            runs << RunTool(QStringLiteral("gdcmscu"), {"--store", "--aetitle", "SENDER", "--call", "RELAY", "127.0.0.1",
                                                        QString::number(port), "-i", files.first()});
        else if (sender == "storescu") {
            runs << Storescu(port, files, proposal + QStringList{"-v"});
            // storescu -v speaks before it does anything: silence means it never
            // ran (under Wine, once in a CI run), so it is started again.
            if (runs.last().output.isEmpty())
                runs.last() = Storescu(port, files, proposal + QStringList{"-v"});
        }
        else
            runs = StorescuInParallel(port, {files.mid(0, 5), files.mid(5, 5), files.mid(10, 5), files.mid(15, 5)});
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
        const QString plain = m_images->make(QStringLiteral("plain.dcm"));
        // Group lengths in every group, group 0008 with a sequence of
        // undefined length, and Operators' Name there already or not.
        const auto withGroupLengths = [this](const char* name, const QStringList& operatorsName) {
            const QString file = m_images->make(name);
            return PydicomFiles(QStringList{"group-lengths", file} + operatorsName).succeeded() ? file : QString();
        };
        m_samples = {{"uncompressed", plain},
                     {"large", m_images->make("large.dcm", ImageRecipe{.rows = 1024, .columns = 1024, .frames = 3})},
                     {"JPEG baseline", m_images->convert("dcmcjpeg", plain, "baseline.dcm", {"+eb"})},
                     {"JPEG lossless", m_images->convert("dcmcjpeg", plain, "lossless.dcm")},
                     {"RLE", m_images->convert("dcmcrle", plain, "rle.dcm")},
                     {"deflated", m_images->convert("dcmconv", plain, "deflated.dcm", {"+td"})},
                     {"JPEG 2000", m_images->jpeg2000Relabelled(plain, "j2k.dcm")},
                     {"private", m_images->make("private.dcm", ImageRecipe{.sopClassUid = kPrivateSopClass})}};
        if (kLinuxPeers) {
            m_samples["group lengths"] = withGroupLengths("lengths.dcm", {});
            m_samples["group lengths, Operators' Name there"] = withGroupLengths("lengths-name.dcm", {"LONGER^NAME"});
        }
        QVERIFY(!m_samples.values().contains(QString()));
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
        QVERIFY2(WaitForNoTemporaryFiles(), qPrintable(LeftoverTemporaryFiles().join(u' ')));
    }
};

} // namespace quorin::test
