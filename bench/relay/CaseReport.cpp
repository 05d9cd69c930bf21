#include "CaseReport.h"

#include <array>

namespace {

using quorin::dicom::ImageTimeline;
using quorin::dicom::TimelineStage;

template <typename T>
QString Join(const QList<T>& values)
{
    QStringList texts;
    for (T value : values)
        texts << (std::is_floating_point_v<T> ? QString::number(double(value), 'f', 3) : QString::number(value));
    return texts.join(QLatin1Char(' '));
}

QString MedianAnd90th(const QList<qint64>& values)
{
    return QStringLiteral("%1/%2").arg(Median(values)).arg(Percentile(values, 0.9));
}

// Microseconds from `from` to `to` over the images that reached both.
QList<qint64> Between(const std::vector<ImageTimeline>& timelines, TimelineStage from, TimelineStage to)
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

void PrintTimeline(QTextStream& out, const std::vector<ImageTimeline>& timelines)
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
        marks << QStringLiteral("%1 %2").arg(QLatin1String(name), MedianAnd90th(Between(timelines, S::CommandIn, stage)));
    out << "  timeline, us after the command came in (median/90th percentile over " << timelines.size()
        << " images): " << marks.join(QStringLiteral(", ")) << Qt::endl;
    out << "  of it: head to decision " << MedianAnd90th(Between(timelines, S::HeadComplete, S::DecisionBack))
        << ", decision to first byte out " << MedianAnd90th(Between(timelines, S::DecisionBack, S::FirstByteOut))
        << ", last byte in to last byte out " << MedianAnd90th(Between(timelines, S::LastByteIn, S::LastByteOut))
        << ", last byte out to the archive's answer "
        << MedianAnd90th(Between(timelines, S::LastByteOut, S::ArchiveAnswerIn)) << ", answer to the sender in "
        << MedianAnd90th(Between(timelines, S::ArchiveAnswerIn, S::SenderAnswerOut)) << Qt::endl;
}

qint64 PerRun(const CaseFigures& figures, qint64 ms)
{
    return ms / std::max<qsizetype>(1, figures.ratios.size());
}

void PrintCpu(QTextStream& out, const CaseFigures& figures)
{
    const CpuSpent& d = figures.directCpu;
    const CpuSpent& r = figures.relayCpu;
    const auto per = [&figures](qint64 ms) { return PerRun(figures, ms); };
    out << "  CPU per run (user + system): direct: sender " << per(d.senderMs) << " + archive " << per(d.archiveMs)
        << " = " << per(d.senderMs + d.archiveMs) << " ms; through the relay: sender " << per(r.senderMs)
        << " + relay " << per(r.relayMs) << " (kernel " << per(r.relaySystemMs) << ") + archive "
        << per(r.archiveMs) << " = " << per(r.senderMs + r.relayMs + r.archiveMs)
        << " ms (the bench's own waiting in the relay's share: " << per(d.relayMs) << " ms in a direct run)"
        << Qt::endl;
}

QString Verdict(bool within)
{
    return within ? QStringLiteral(" OK") : QStringLiteral(" OVER");
}

} // namespace

void PrintFigures(QTextStream& out, const BenchCase& benchCase, const CaseFigures& figures)
{
    const double ratio = Median(figures.ratios);
    const bool ratioWithin = benchCase.ratioLimit <= 0 || (ratio > 0 && ratio <= benchCase.ratioLimit);
    out << benchCase.title << ": direct median " << Median(figures.directMs) << " ms, relay median "
        << Median(figures.relayMs) << " ms; relay/direct median " << QString::number(ratio, 'f', 3);
    if (benchCase.ratioLimit > 0)
        out << " (limit " << benchCase.ratioLimit << ")" << Verdict(ratioWithin);
    out << Qt::endl;
    out << "  runs: direct " << Join(figures.directMs) << " ms; relay " << Join(figures.relayMs) << " ms; ratios "
        << Join(figures.ratios) << Qt::endl;
    out << "  floor, a plain TCP pipe in the relay's place: " << Join(figures.pipeMs) << " ms; pipe/direct median "
        << QString::number(Median(figures.pipeRatios), 'f', 3) << "; time it adds per image, us: median "
        << Median(figures.pipeAddedUs) << ", 90th percentile " << Percentile(figures.pipeAddedUs, 0.9) << Qt::endl;
    const qint64 added = Median(figures.addedUs);
    const bool addedWithin = benchCase.addedLimitUs <= 0 || added <= benchCase.addedLimitUs;
    out << "  time added per image as the sender saw it, us: median " << added << ", 90th percentile "
        << Percentile(figures.addedUs, 0.9) << " (" << figures.addedUs.size() << " images)";
    if (benchCase.addedLimitUs > 0)
        out << " (limit " << benchCase.addedLimitUs << " median)" << Verdict(addedWithin);
    out << Qt::endl;
    PrintTimeline(out, figures.timelines);
    out << "  " << (figures.allArrived ? "every image arrived through both paths" : "SOME IMAGES FAILED")
        << "; relayed cut-through: " << figures.ways.cutThrough << ", store and forward: "
        << figures.ways.storeAndForward << "; "
        << figures.relayRuns << " relay runs of " << QString::number(double(figures.relayedBytesPerRun) / 1e6, 'f', 3)
        << " MB; largest PDU the relay let the sender send, per relay run: " << Join(figures.relayPduBytes)
        << Qt::endl;
    PrintCpu(out, figures);
}
