#include "CupsPdf.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>


namespace zt {

QString RunTool(const QString &Program, const QStringList &Args)
{
    QProcess p;
    p.start(Program, Args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The set-up's file: the queue's name, then its output folder.
static QStringList QueueFileLines()
{
    QFile file(QStringLiteral(ZANTOR_TEST_QUEUE_FILE));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readAll()).split('\n');
}

QString TestQueueName()
{
    const QStringList lines = QueueFileLines();
    return lines.isEmpty() ? QString() : lines.at(0).trimmed();
}

QString CupsOutputFolder()
{
    const QStringList lines = QueueFileLines();
    return lines.size() < 2 ? QString() : lines.at(1).trimmed();
}

QString WaitForPdf(const QString &Folder, const QDateTime &Since, int TimeoutMs)
{
    const QDateTime until = QDateTime::currentDateTime().addMSecs(TimeoutMs);
    while (QDateTime::currentDateTime() < until) {
        const QFileInfoList files = QDir(Folder).entryInfoList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Time);
        if (!files.isEmpty() && files.first().lastModified() >= Since) {
            const QString file = files.first().absoluteFilePath();
            if (RunTool(QStringLiteral("pdfinfo"), {file}).contains(QStringLiteral("Pages:")))
                return file;
        }
        QThread::msleep(200);
    }
    return {};
}

} // namespace zt
