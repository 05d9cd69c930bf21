#include "LinkEmulation.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

#ifdef __linux__
#include <cerrno>
#include <cstring>
#include <sched.h>
#endif

namespace {

// Runs ip or tc; its complaint when it failed.
QString RunCommand(const QString& program, const QString& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts));
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QStringLiteral("%1 %2: %3").arg(program, arguments, QString::fromLocal8Bit(process.readAll()).trimmed());
    return QString();
}

QString RunAll(const QString& program, const QStringList& commands)
{
    for (const QString& command : commands) {
        const QString failed = RunCommand(program, command);
        if (!failed.isEmpty())
            return failed;
    }
    return QString();
}

} // namespace

qint64 BitsPerSecond(const QString& rate)
{
    static const QRegularExpression form(QStringLiteral("^(\\d+)(k|m|g)bit$"));
    const QRegularExpressionMatch match = form.match(rate.toLower());
    if (!match.hasMatch())
        return 0;
    const qint64 unit = match.captured(2) == QLatin1String("k") ? 1000
                        : match.captured(2) == QLatin1String("m") ? 1000000
                                                                 : 1000000000;
    return match.captured(1).toLongLong() * unit;
}

int FrameBytes(qint64 linkBitsPerSecond)
{
    return linkBitsPerSecond >= 1000000000 ? 9000 : 1500;
}

QString EnterOwnNetwork(int frame)
{
#ifdef __linux__
    if (::unshare(CLONE_NEWNET) != 0)
        return QStringLiteral("no network namespace of its own (%1); the link mode needs root")
            .arg(QString::fromLocal8Bit(std::strerror(errno)));
    // The packet size is the larger of the two: TCP builds packets up to
    // gso_max_size whatever the MTU.
    return RunAll(QStringLiteral("ip"), {QStringLiteral("link set lo up"),
                                         QStringLiteral("link set lo mtu %1 gso_max_size %1").arg(frame)});
#else
    Q_UNUSED(frame);
    return QStringLiteral("the link mode needs Linux network namespaces");
#endif
}

QString ShapeHops(const QList<quint16>& firstHopPorts, quint16 archivePort, const QString& rate, int frame)
{
    const QString hop = QStringLiteral("class add dev lo parent 1:1 classid 1:%1 htb rate %2 ceil %2 "
                                       "burst %3 cburst %3 quantum 60000");
    const QString filter
        = QStringLiteral("filter add dev lo parent 1: protocol ip u32 match ip dport %1 0xffff flowid 1:%2");
    QStringList commands{QStringLiteral("qdisc add dev lo root handle 1: htb default 30"),
                         QStringLiteral("class add dev lo parent 1: classid 1:1 htb rate 100gbit quantum 60000"),
                         hop.arg(10).arg(rate).arg(frame), hop.arg(20).arg(rate).arg(frame),
                         QStringLiteral("class add dev lo parent 1:1 classid 1:30 htb rate 100gbit quantum 60000"),
                         filter.arg(archivePort).arg(20)};
    for (const quint16 port : firstHopPorts)
        commands << filter.arg(port).arg(10);
    return RunAll(QStringLiteral("tc"), commands);
}
