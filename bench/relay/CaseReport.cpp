#include "CaseReport.h"

#include <array>

namespace {

using quorin::dicom::ImageTimeline;
using quorin::dicom::TimelineStage;

template <typename T>
QString join(const QList<T>& values)
{
    QStringList texts;
    for (T value : values)
        texts << (std::is_floating_point_v<T> ? QString::number(double(value), 'f', 3) : QString::number(value));
    return texts.join(QLatin1Char(' '));
}

QString medianAnd90th(const QList<qint64>& values)
{
    return QStringLiteral("%1/%2").arg(median(values)).arg(percentile(values, 0.9));
}

// Microseconds from `from` to `to` over the images that reached both.
QList<qint64> between(const std::vector<ImageTimeline>& timelines, TimelineStage from, TimelineStage to)
{
    QList<qint64> spans;
    for (const ImageTimeline& image : timelines) {
        const auto start = image.at[std::size_t(from)];
        const auto end = image.at[std::size_t(to)];
        if (start.time_since_epoch().count() != 0 && end.time_since_epoch().count() != 0)
            spans << std::chrono::duration_cast<std::chrono::microseconds>(end - start).count();
    }
    return spans;
}

void printTimeline(QTextStream& out, const std::vector<ImageTimeline>& timelines)
{
    if (timelines.empty())
        return;
    using S = TimelineStage;
    const std::array<std::pair<S, const char*>, 7> stages{{{S::HeadComplete, "head"},
                                                          {S::DecisionBack, "decision"},
                                                          {S::FirstByteOut, "first byte out"},
                                                          {S::LastByteIn, "last byte in"},
                                                          {S::LastByteOut, "last byte out"},
                                                          {S::ArchiveAnswerIn, "archive's answer"},
                                                          {S::SenderAnswerOut, "sender's answer"}}};
    QStringList marks;
    for (const auto& [stage, name] : stages)
        marks << QStringLiteral("%1 %2").arg(QLatin1String(name), medianAnd90th(between(timelines, S::CommandIn, stage)));
    out << "  timeline, us after the command came in (median/90th percentile over " << timelines.size()
        << " images): " << marks.join(QStringLiteral(", ")) << Qt::endl;
    out << "  of it: head to decision " << medianAnd90th(between(timelines, S::HeadComplete, S::DecisionBack))
        << ", decision to first byte out " << medianAnd90th(between(timelines, S::DecisionBack, S::FirstByteOut))
        << ", last byte in to last byte out " << medianAnd90th(between(timelines, S::LastByteIn, S::LastByteOut))
        << ", last byte out to the archive's answer "
        << medianAnd90th(between(timelines, S::LastByteOut, S::ArchiveAnswerIn)) << ", answer to the sender in "
        << medianAnd90th(between(timelines, S::ArchiveAnswerIn, S::SenderAnswerOut)) << Qt::endl;
}

qint64 perRun(const CaseFigures& figures, qint64 ms)
{
    return ms / std::max<qsizetype>(1, figures.ratios.size());
}

void printCpu(QTextStream& out, const CaseFigures& figures)
{
    const CpuSpent& d = figures.directCpu;
    const CpuSpent& r = figures.relayCpu;
    const auto per = [&figures](qint64 ms) { return perRun(figures, ms); };
    out << "  CPU per run (user + system): direct: sender " << per(d.senderMs) << " + archive " << per(d.archiveMs)
        << " = " << per(d.senderMs + d.archiveMs) << " ms; through the relay: sender " << per(r.senderMs)
        << " + relay " << per(r.relayMs) << " (kernel " << per(r.relaySystemMs) << ") + archive "
        << per(r.archiveMs) << " = " << per(r.senderMs + r.relayMs + r.archiveMs)
        << " ms (the bench's own waiting in the relay's share: " << per(d.relayMs) << " ms in a direct run)"
        << Qt::endl;
}

QString verdict(bool within)
{
    return within ? QStringLiteral(" OK") : QStringLiteral(" OVER");
}

} // namespace

void printFigures(QTextStream& out, const BenchCase& benchCase, const CaseFigures& figures)
{
    const double ratio = median(figures.ratios);
    const bool ratioWithin = benchCase.ratioLimit <= 0 || (ratio > 0 && ratio <= benchCase.ratioLimit);
    out << benchCase.title << ": direct median " << median(figures.directMs) << " ms, relay median "
        << median(figures.relayMs) << " ms; relay/direct median " << QString::number(ratio, 'f', 3);
    if (benchCase.ratioLimit > 0)
        out << " (limit " << benchCase.ratioLimit << ")" << verdict(ratioWithin);
    out << Qt::endl;
    out << "  runs: direct " << join(figures.directMs) << " ms; relay " << join(figures.relayMs) << " ms; ratios "
        << join(figures.ratios) << Qt::endl;
    out << "  floor, a plain TCP pipe in the relay's place: " << join(figures.pipeMs) << " ms; pipe/direct median "
        << QString::number(median(figures.pipeRatios), 'f', 3) << "; time it adds per image, us: median "
        << median(figures.pipeAddedUs) << ", 90th percentile " << percentile(figures.pipeAddedUs, 0.9) << Qt::endl;
    const qint64 added = median(figures.addedUs);
    const bool addedWithin = benchCase.addedLimitUs <= 0 || added <= benchCase.addedLimitUs;
    out << "  time added per image as the sender saw it, us: median " << added << ", 90th percentile "
        << percentile(figures.addedUs, 0.9) << " (" << figures.addedUs.size() << " images)";
    if (benchCase.addedLimitUs > 0)
        out << " (limit " << benchCase.addedLimitUs << " median)" << verdict(addedWithin);
    out << Qt::endl;
    printTimeline(out, figures.timelines);
    out << "  " << (figures.allArrived ? "every image arrived through both paths" : "SOME IMAGES FAILED")
        << "; relayed cut-through: " << figures.ways.cutThrough << ", store and forward: "
        << figures.ways.storeAndForward << "; "
        << figures.relayRuns << " relay runs of " << QString::number(double(figures.relayedBytesPerRun) / 1e6, 'f', 3)
        << " MB; largest PDU the relay let the sender send, per relay run: " << join(figures.relayPduBytes)
        << Qt::endl;
    printCpu(out, figures);
}
