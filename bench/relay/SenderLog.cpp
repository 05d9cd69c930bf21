#include "SenderLog.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

QStringList SenderLogArguments(const QString& folder)
{
    const QString file = QDir(folder).filePath(QStringLiteral("storescu-log.cfg"));
    QFile config(file);
    if (config.open(QIODevice::WriteOnly))
        config.write("log4cplus.rootLogger = INFO, console\n"
                     "log4cplus.appender.console = log4cplus::ConsoleAppender\n"
                     "log4cplus.appender.console.layout = log4cplus::PatternLayout\n"
                     "log4cplus.appender.console.layout.ConversionPattern = %D{%s.%Q} %m%n\n");
    return {QStringLiteral("-lc"), file};
}

int AcceptedPduBytes(const QString& senderOutput)
{
    static const QRegularExpression accepted(QStringLiteral("Association Accepted \\(Max Send PDV: (\\d+)\\)"));
    const QRegularExpressionMatch match = accepted.match(senderOutput);
    return match.hasMatch() ? match.captured(1).toInt() + 12 : 0;
}

QList<qint64> ImageMicroseconds(const QString& senderOutput)
{
    // seconds.milliseconds.microseconds, then the message
    static const QRegularExpression line(
        QStringLiteral("^(\\d+)\\.(\\d{3})\\.(\\d{3}) (Sending Store Request|Received Store Response)"),
        QRegularExpression::MultilineOption);
    QList<qint64> durations;
    qint64 sent = -1;
    for (auto match = line.globalMatch(senderOutput); match.hasNext();) {
        const QRegularExpressionMatch found = match.next();
        const qint64 at = found.captured(1).toLongLong() * 1000000 + found.captured(2).toLongLong() * 1000
                          + found.captured(3).toLongLong();
        if (found.captured(4).startsWith(QLatin1String("Sending"))) {
            sent = at;
        } else if (sent >= 0) {
            durations << at - sent;
            sent = -1;
        }
    }
    return durations;
}
