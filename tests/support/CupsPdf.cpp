#include "CupsPdf.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <pwd.h>
#include <unistd.h>

namespace zt {

QString RunTool(const QString &Program, const QStringList &Args)
{
    QProcess p;
    p.start(Program, Args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

// "Out" of cups-pdf's configuration, with ${HOME} and ${USER} of the printing user.
QString CupsOutputFolder()
{
    QString out = QStringLiteral("${HOME}/PDF");
    QFile conf(QStringLiteral("/etc/cups/cups-pdf.conf"));
    if (conf.open(QIODevice::ReadOnly | QIODevice::Text)) {
        for (const QString &line : QString::fromUtf8(conf.readAll()).split('\n')) {
            const QString t = line.trimmed();
            if (t.startsWith(QStringLiteral("Out ")) || t.startsWith(QStringLiteral("Out\t")))
                out = t.mid(4).trimmed();
        }
    }
    const passwd *pw = getpwuid(getuid());
    const QString home = pw ? QString::fromLocal8Bit(pw->pw_dir) : QDir::homePath();
    const QString user = pw ? QString::fromLocal8Bit(pw->pw_name) : QString();
    return out.replace(QStringLiteral("${HOME}"), home).replace(QStringLiteral("${USER}"), user);
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
