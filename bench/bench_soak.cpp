// Soak: 10,000 small images from storescu through the relay as the
// application runs it (app/ImageRelay stamping on this, the GUI, thread) to
// storescp, in ten batches of 1,000 with another operator on duty for each.
// Afterwards every stored file is read back: each image must be there once,
// carrying the code of its batch's operator. Prints the time per batch, the
// GUI thread's largest stall, the failures (must be 0) and the resident
// memory after the first 1,000 and after all images (must be within 10%).
// Exit code 0 only when both hold.

#include "AppRelayStation.h"
#include "ArchivePeers.h"
#include "DatasetText.h"
#include "DicomTools.h"
#include "EventLoopGaps.h"
#include "ResidentMemory.h"
#include "TestImages.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QTextStream>

using namespace quorin::test;

namespace {

const int kBatches = 10;
const int kImagesPerBatch = 1000;

QTextStream out(stdout);

QString operatorOfBatch(int batch)
{
    return QStringLiteral("S%1").arg(batch);
}

// The SOP Instance UID without its last component: the same for every image
// of one series() batch, so a stored image tells its batch without a list of
// 10,000 UIDs growing in this process's memory.
QString BatchPrefix(const QString& file)
{
    const QString uid = QString::fromLatin1(RawValue(file, 0x0008, 0x0018));
    return uid.left(uid.lastIndexOf(QLatin1Char('.')) + 1);
}

struct Verification {
    int stored = 0;
    int wrongStamp = 0;
    int unknown = 0; // not an image of any batch (or unreadable)
    QHash<QString, int> perBatch;
};

Verification VerifyArchive(const QString& folder, const QHash<QString, QString>& stampOfPrefix)
{
    Verification result;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files)) {
        const QString path = dir.filePath(name);
        const QString prefix = BatchPrefix(path);
        ++result.stored;
        if (!stampOfPrefix.contains(prefix)) {
            ++result.unknown;
            continue;
        }
        ++result.perBatch[prefix];
        if (QString::fromLatin1(RawValue(path, 0x0008, 0x1070)) != stampOfPrefix.value(prefix))
            ++result.wrongStamp;
    }
    return result;
}

struct BatchOutcome {
    int failures = kImagesPerBatch; // images storescu was not told were stored
    qint64 sendMs = 0;
};

// Makes one batch and sends it on one association.
BatchOutcome SendBatch(AppRelayStation& station, TestImages& factory, int batch,
                       QHash<QString, QString>& stampOfPrefix, EventLoopGaps& gaps)
{
    BatchOutcome outcome;
    const QStringList files = factory.series(QStringLiteral("batch%1").arg(batch), kImagesPerBatch);
    if (files.size() != kImagesPerBatch)
        return outcome;
    stampOfPrefix.insert(BatchPrefix(files.first()), operatorOfBatch(batch));
    station.setOperator(operatorOfBatch(batch));
    QElapsedTimer clock;
    clock.start();
    gaps.start();
    const ToolRun run = Storescu(station.port(), files, {QStringLiteral("-v"), QStringLiteral("-nh")});
    gaps.stop();
    outcome.sendMs = clock.elapsed();
    for (const QString& file : files)
        QFile::remove(file);
    outcome.failures = kImagesPerBatch - int(run.output.count(QStringLiteral("Received Store Response (Success)")));
    return outcome;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("TCP_NODELAY", "1");
    QApplication app(argc, argv);

    QTemporaryDir images;
    StorescpArchive archive;
    AppRelayStation station;
    if (!images.isValid() || !archive.start() || !station.start(archive.port())) {
        out << "set-up failed\n";
        return 2;
    }
    TestImages factory(images.path());
    QHash<QString, QString> stampOfPrefix;
    EventLoopGaps gaps;
    int senderFailures = 0;
    qint64 residentAfterFirst = -1;
    qint64 largestGapMs = 0;
    qint64 sendMs = 0;
    out << "batch  operator  sender failures  send ms  largest GUI gap ms  resident KiB\n";
    for (int batch = 0; batch < kBatches; ++batch) {
        const BatchOutcome outcome = SendBatch(station, factory, batch, stampOfPrefix, gaps);
        senderFailures += outcome.failures;
        sendMs += outcome.sendMs;
        largestGapMs = std::max(largestGapMs, gaps.largestGapMs());
        const qint64 resident = ResidentKiB();
        if (batch == 0)
            residentAfterFirst = resident;
        out << qSetFieldWidth(5) << batch << qSetFieldWidth(0) << "  " << qSetFieldWidth(8)
            << operatorOfBatch(batch) << qSetFieldWidth(17) << outcome.failures << qSetFieldWidth(9)
            << outcome.sendMs << qSetFieldWidth(20) << gaps.largestGapMs() << qSetFieldWidth(14) << resident
            << qSetFieldWidth(0) << "\n";
        out.flush();
    }
    const qint64 residentAfterAll = ResidentKiB();

    QElapsedTimer reading;
    reading.start();
    const Verification check = VerifyArchive(archive.folder(), stampOfPrefix);
    const qint64 readMs = reading.elapsed();
    int missing = 0;
    for (const QString& prefix : stampOfPrefix.keys())
        missing += std::max(0, kImagesPerBatch - check.perBatch.value(prefix));
    const int failures = senderFailures + missing + check.wrongStamp + check.unknown
                         + std::max(0, check.stored - kBatches * kImagesPerBatch);
    const double growth = residentAfterFirst > 0 ? double(residentAfterAll - residentAfterFirst) / residentAfterFirst : 0;

    out << "\nimages sent " << kBatches * kImagesPerBatch << " in " << sendMs << " ms ("
        << qRound(kBatches * kImagesPerBatch * 1000.0 / std::max<qint64>(1, sendMs)) << " images/s); stored "
        << check.stored << ", read back in " << readMs << " ms\n";
    out << "sender failures " << senderFailures << ", missing " << missing << ", wrong stamp " << check.wrongStamp
        << ", unknown files " << check.unknown << ", transfer messages " << station.transferMessages() << "\n";
    out << "failures " << failures << "\n";
    out << "largest GUI gap " << largestGapMs << " ms\n";
    out << "resident memory after the first " << kImagesPerBatch << ": " << residentAfterFirst << " KiB, after all "
        << kBatches * kImagesPerBatch << ": " << residentAfterAll << " KiB ("
        << QString::number(growth * 100, 'f', 1) << "%)\n";
    const bool memoryFlat = residentAfterFirst <= 0 || growth <= 0.10;
    return failures == 0 && memoryFlat ? 0 : 1;
}
