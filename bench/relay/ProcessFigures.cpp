#include "ProcessFigures.h"

#include <QCoreApplication>
#include <QFile>
#include <QList>
#include <QString>

#ifdef __linux__
#include <sys/resource.h>
#include <unistd.h>

namespace {

qint64 Milliseconds(const timeval& time)
{
    return qint64(time.tv_sec) * 1000 + time.tv_usec / 1000;
}

struct Usage {
    qint64 totalMs = 0;
    qint64 systemMs = 0;
};

Usage UsageOf(int who)
{
    rusage used{};
    getrusage(who, &used);
    return {Milliseconds(used.ru_utime) + Milliseconds(used.ru_stime), Milliseconds(used.ru_stime)};
}

qint64 ArchiveCpuMs()
{
    const QString children = QString::fromLatin1([] {
        QFile file(QStringLiteral("/proc/self/task/%1/children").arg(QCoreApplication::applicationPid()));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }());
    for (const QString& pid : children.split(u' ', Qt::SkipEmptyParts)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        if (!text.contains("(storescp)"))
            continue;
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        const qint64 ticks = fields.value(11).toLongLong() + fields.value(12).toLongLong(); // utime, stime
        return ticks * 1000 / sysconf(_SC_CLK_TCK);
    }
    return 0;
}

} // namespace

// The one place that reads the process's memory figures.
qint64 PeakResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

void ResetPeakResident()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

CpuMeter::CpuMeter()
    : m_self(UsageOf(RUSAGE_SELF).totalMs)
    , m_selfSystem(UsageOf(RUSAGE_SELF).systemMs)
    , m_children(UsageOf(RUSAGE_CHILDREN).totalMs)
    , m_archive(ArchiveCpuMs())
{
}

void CpuMeter::addTo(CpuSpent& spent) const
{
    const Usage self = UsageOf(RUSAGE_SELF);
    spent.relayMs += self.totalMs - m_self;
    spent.relaySystemMs += self.systemMs - m_selfSystem;
    spent.senderMs += UsageOf(RUSAGE_CHILDREN).totalMs - m_children;
    spent.archiveMs += ArchiveCpuMs() - m_archive;
}
#else
qint64 PeakResidentKiB() { return -1; }
void ResetPeakResident() {}
CpuMeter::CpuMeter()
    : m_self(0), m_selfSystem(0), m_children(0), m_archive(0)
{
}
void CpuMeter::addTo(CpuSpent&) const {}
#endif
