// Where a received data set waits: in memory up to the limit, in a temporary
// file past it, byte for byte either way, and readable as the image it is.

#include "dicom/internal/OutgoingImage.h"
#include "dicom/internal/ReceivedDataSet.h"
#include "dicom/internal/ReceivedDataSetStream.h"

#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcuid.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using quorin::dicom::OutgoingImage;
using quorin::dicom::ReceivedDataSet;
using quorin::dicom::ReceivedDataSetStream;

namespace {

QByteArray pattern(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char(i * 7 + 3);
    return bytes;
}

// Hands `bytes` over in pieces, as the network does.
void receive(ReceivedDataSet& received, const QByteArray& bytes, int piece)
{
    for (int at = 0; at < bytes.size(); at += piece)
        QVERIFY(received.append(bytes.constData() + at, std::size_t(std::min(piece, int(bytes.size()) - at))));
    QVERIFY(received.finish());
}

QByteArray fileContent(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A small image's data set as it travels on the network (no file meta header).
QByteArray encodedImage(const QString& folder, const QByteArray& pixels)
{
    DcmDataset dataset;
    dataset.putAndInsertString(DCM_SOPClassUID, UID_CTImageStorage);
    dataset.putAndInsertString(DCM_SOPInstanceUID, "1.2.3.4.5");
    dataset.putAndInsertUint8Array(DCM_PixelData, reinterpret_cast<const Uint8*>(pixels.constData()),
                                   unsigned(pixels.size()));
    const QString path = folder + QStringLiteral("/dataset.raw");
    if (dataset.saveFile(QFile::encodeName(path).constData(), EXS_LittleEndianExplicit).bad())
        return QByteArray();
    return fileContent(path);
}

} // namespace

class tst_ReceivedDataSet : public QObject {
    Q_OBJECT

private slots:
    void cleanupTestCase() { quorin::dicom::TemporaryImageFile::removeEmptyFolder(); }

    void smallDataSetStaysInMemory()
    {
        const QByteArray bytes = pattern(3000);
        ReceivedDataSet received(EXS_LittleEndianExplicit, 4096);
        receive(received, bytes, 1000);
        QVERIFY(received.inMemory());
        QVERIFY(received.filePath().isEmpty());
        QCOMPARE(received.size(), std::size_t(3000));
        QCOMPARE(QByteArray(received.bytes().data(), int(received.bytes().size())), bytes);
    }

    // Every byte ends up in the file, also those that came before the
    // limit was passed; the file goes with the object.
    void largeDataSetMovesToAFileAtTheLimit()
    {
        const QByteArray bytes = pattern(10000);
        QString path;
        {
            ReceivedDataSet received(EXS_LittleEndianExplicit, 4096);
            receive(received, bytes, 1500);
            QVERIFY(!received.inMemory());
            QVERIFY(received.bytes().empty());
            path = received.filePath();
            QCOMPARE(fileContent(path), bytes);
        }
        QVERIFY(!QFile::exists(path));
    }

    // The toolkit writes through its stream interface.
    void streamHandsEveryByteOn()
    {
        const QByteArray bytes = pattern(5000);
        ReceivedDataSet received(EXS_LittleEndianExplicit);
        ReceivedDataSetStream stream(received);
        QCOMPARE(stream.write(bytes.constData(), 2000), offile_off_t(2000));
        QCOMPARE(stream.write(bytes.constData() + 2000, 3000), offile_off_t(3000));
        QVERIFY(stream.good());
        QCOMPARE(QByteArray(received.bytes().data(), int(received.bytes().size())), bytes);
    }

    void readsAsTheImageFromMemoryAndFromTheFile_data()
    {
        QTest::addColumn<int>("memoryLimit");
        QTest::newRow("in memory") << 1024 * 1024;
        QTest::newRow("in a file") << 1024;
    }

    void readsAsTheImageFromMemoryAndFromTheFile()
    {
        QFETCH(int, memoryLimit);
        QTemporaryDir folder;
        const QByteArray pixels = pattern(20000);
        const QByteArray encoded = encodedImage(folder.path(), pixels);
        QVERIFY(!encoded.isEmpty());
        ReceivedDataSet received(EXS_LittleEndianExplicit, std::size_t(memoryLimit));
        receive(received, encoded, 4096);

        OutgoingImage image(received);
        QVERIFY2(image.error().isEmpty(), qPrintable(image.error()));
        QCOMPARE(image.sopInstanceUid(), OFString("1.2.3.4.5"));
        QCOMPARE(image.originalSyntax(), EXS_LittleEndianExplicit);
        const Uint8* value = nullptr;
        unsigned long length = 0;
        QVERIFY(image.dataset()->findAndGetUint8Array(DCM_PixelData, value, &length).good());
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(value), int(length)), pixels);
    }
};

QTEST_GUILESS_MAIN(tst_ReceivedDataSet)
#include "tst_receiveddataset.moc"
