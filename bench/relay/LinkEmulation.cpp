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
QString runCommand(const QString& program, const QString& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts));
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QStringLiteral("%1 %2: %3").arg(program, arguments, QString::fromLocal8Bit(process.readAll()).trimmed());
    return QString();
}

QString runAll(const QString& program, const QStringList& commands)
{
    for (const QString& command : commands) {
        const QString failed = runCommand(program, command);
        if (!failed.isEmpty())
            return failed;
    }
    return QString();
}

} // namespace

qint64 bitsPerSecond(const QString& rate)
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

QString enterOwnNetwork(qint64 linkBitsPerSecond)
{
#ifdef __linux__
    if (::unshare(CLONE_NEWNET) != 0)
        return QStringLiteral("no network namespace of its own (%1); the link mode needs root")
            .arg(QString::fromLocal8Bit(std::strerror(errno)));
    // A 64 KB loopback packet would take 130 ms on a 4 Mbit/s link and
    // hide what the relay adds; Ethernet's frames keep the link's pace.
    const QString mtu = linkBitsPerSecond >= 1000000000 ? QStringLiteral("9000") : QStringLiteral("1500");
    return runAll(QStringLiteral("ip"), {QStringLiteral("link set lo up"), QStringLiteral("link set lo mtu ") + mtu});
#else
    Q_UNUSED(linkBitsPerSecond);
    return QStringLiteral("the link mode needs Linux network namespaces");
#endif
}

QString shapeHops(quint16 relayPort, quint16 archivePort, const QString& rate)
{
    const QString hop = QStringLiteral("class add dev lo parent 1:1 classid 1:%1 htb rate %2 ceil %2 quantum 60000");
    const QString filter
        = QStringLiteral("filter add dev lo parent 1: protocol ip u32 match ip dport %1 0xffff flowid 1:%2");
    return runAll(QStringLiteral("tc"),
                  {QStringLiteral("qdisc add dev lo root handle 1: htb default 30"),
                   QStringLiteral("class add dev lo parent 1: classid 1:1 htb rate 100gbit quantum 60000"),
                   hop.arg(10).arg(rate), hop.arg(20).arg(rate),
                   QStringLiteral("class add dev lo parent 1:1 classid 1:30 htb rate 100gbit quantum 60000"),
                   filter.arg(relayPort).arg(10), filter.arg(archivePort).arg(20)});
}
