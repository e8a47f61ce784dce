#include "settings/KXDataRoot.h"

#include "core/KXError.h"
#include "core/KXIniFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace kx {

namespace {

// An XDG base folder: Qt's answer when it is absolute (the XDG rules ignore relative
// values), else the default below the home folder.
QString XdgFolder(QStandardPaths::StandardLocation Location, const QString &Default)
{
    const QString folder = QStandardPaths::writableLocation(Location);
    if (!folder.isEmpty() && QDir::isAbsolutePath(folder))
        return QDir::cleanPath(folder);
    const QString home = QDir::homePath();
    if (home.isEmpty() || !QDir::isAbsolutePath(home) || home == QDir::rootPath())
        throw EKxError("No folder for the program's data: the home folder is unknown");
    return QDir::cleanPath(home + QLatin1Char('/') + Default);
}

QString Expand(const QString &Path, const QString &Base)
{
    if (Path == QLatin1String("~") || Path.startsWith(QLatin1String("~/")))
        return QDir::cleanPath(QDir::homePath() + Path.mid(1));
    if (QDir::isAbsolutePath(Path))
        return QDir::cleanPath(Path);
    return QDir::cleanPath(Base + QLatin1Char('/') + Path);
}

} // namespace

QString DataRootConfigFile()
{
    return XdgFolder(QStandardPaths::GenericConfigLocation, QStringLiteral(".config")) +
           QStringLiteral("/zantor/zantor.ini");
}

QString DataRoot()
{
    const QString forced = qEnvironmentVariable("ZANTOR_DATA");
    if (!forced.isEmpty() && QDir::isAbsolutePath(forced))
        return QDir::cleanPath(forced);

    const QString config = DataRootConfigFile();
    if (QFileInfo::exists(config)) {
        TKXIniFile ini;
        ini.Load(QFile::encodeName(config).toStdString());
        const QString path = QString::fromStdString(ini.ReadString("Zantor", "PathData", ""));
        if (!path.isEmpty())
            return Expand(path, QFileInfo(config).absolutePath());
    }
    return XdgFolder(QStandardPaths::GenericDataLocation, QStringLiteral(".local/share")) +
           QStringLiteral("/zantor");
}

QString DataFolder(const QString &Name) { return DataRoot() + QLatin1Char('/') + Name; }

QString EnsureDataFolders()
{
    const QString root = DataRoot();
    for (const QString &name : {DataImages, DataLabels, DataTemplates, DataData, DataBackup}) {
        const QString folder = root + QLatin1Char('/') + name;
        if (!QDir().mkpath(folder) || !QFileInfo(folder).isDir())
            throw EKxError("Cannot create the folder \"" + folder.toStdString() + "\"");
    }
    return root;
}

} // namespace kx
