// The data root: from zantor.ini under the XDG config folder, else under the XDG data folder,
// never the current folder; the start creates the folders below it. Every test points HOME
// and the XDG variables at a temporary folder and runs from an empty current folder.
#include "core/KXError.h"
#include "settings/KXDataRoot.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include <unistd.h>

using namespace kx;

namespace {

struct DataRootFixture : ::testing::Test {
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        for (const char *name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "ZANTOR_DATA"})
            saved.push_back({name, std::getenv(name) ? std::optional<std::string>(std::getenv(name)) : std::nullopt});
        home = tmp.filePath(QStringLiteral("home"));
        dataHome = tmp.filePath(QStringLiteral("xdg-data"));
        configHome = tmp.filePath(QStringLiteral("xdg-config"));
        cwd = tmp.filePath(QStringLiteral("cwd"));
        QDir().mkpath(home);
        QDir().mkpath(cwd);
        setenv("HOME", qPrintable(home), 1);
        setenv("XDG_DATA_HOME", qPrintable(dataHome), 1);
        setenv("XDG_CONFIG_HOME", qPrintable(configHome), 1);
        unsetenv("ZANTOR_DATA");
        oldCwd = QDir::currentPath();
        ASSERT_EQ(::chdir(qPrintable(cwd)), 0);
    }
    void TearDown() override
    {
        // Nothing ever appears in the current folder.
        EXPECT_TRUE(QDir(cwd).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) << "in the current folder";
        EXPECT_EQ(::chdir(qPrintable(oldCwd)), 0);
        for (const auto &[name, value] : saved)
            value ? setenv(name, value->c_str(), 1) : unsetenv(name);
    }
    void WriteConfig(const QByteArray &Text)
    {
        QDir().mkpath(configHome + QStringLiteral("/zantor"));
        QFile f(configHome + QStringLiteral("/zantor/zantor.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(Text);
    }

    QTemporaryDir tmp;
    QString home, dataHome, configHome, cwd, oldCwd;
    std::vector<std::pair<const char *, std::optional<std::string>>> saved;
};

TEST_F(DataRootFixture, DefaultsToTheXdgDataFolderAndCreatesTheFoldersThere)
{
    EXPECT_EQ(DataRootConfigFile(), configHome + QStringLiteral("/zantor/zantor.ini"));
    const QString root = dataHome + QStringLiteral("/zantor");
    EXPECT_EQ(DataRoot(), root);
    EXPECT_EQ(DataFolder(DataBackup), root + QStringLiteral("/Data/Backup"));
    EXPECT_EQ(EnsureDataFolders(), root);
    QStringList made;
    QDirIterator it(root, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        made << QDir(root).relativeFilePath(it.next());
    made.sort();
    EXPECT_EQ(made, (QStringList{"Data", "Data/Backup", "Images", "Labels", "Templates"}));
    // A second start finds them there.
    EXPECT_EQ(EnsureDataFolders(), root);
    // The program never writes its config file.
    EXPECT_FALSE(QFileInfo::exists(configHome));
}

TEST_F(DataRootFixture, PathDataInTheConfigFileNamesTheRoot)
{
    struct Case {
        QByteArray config;
        QString expected; // relative to the temporary folder; "@data" is the default
    } cases[] = {
        {"[Zantor]\nPathData=" + tmp.filePath("mine").toUtf8() + "\n", "mine"},
        // names ignore case; blanks and a BOM do not matter; the folder may hold UTF-8
        {"\xEF\xBB\xBF[zantor]\r\n  pathdata = " + tmp.filePath("Dat\xC3\xA9n").toUtf8() + "/ \r\n",
         QString::fromUtf8("Dat\xC3\xA9n")},
        // a relative path is taken from the config file's folder, "~" from the home folder
        {"[Zantor]\nPathData=shared/labels\n", "xdg-config/zantor/shared/labels"},
        {"[Zantor]\nPathData=~/ZantorData\n", "home/ZantorData"},
        // no value, or another section: the default
        {"[Zantor]\nPathData=\n", "@data"},
        {"[Other]\nPathData=/elsewhere\n", "@data"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.config.toStdString());
        WriteConfig(c.config);
        const QString expected = c.expected == QLatin1String("@data") ? dataHome + QStringLiteral("/zantor")
                                                                       : tmp.filePath(c.expected);
        EXPECT_EQ(DataRoot(), expected);
        EXPECT_EQ(EnsureDataFolders(), expected);
        EXPECT_TRUE(QFileInfo(expected + QStringLiteral("/Data/Backup")).isDir());
    }
}

TEST_F(DataRootFixture, NeverTheCurrentFolder)
{
    // XDG values that are not absolute are ignored, as the XDG rules say.
    setenv("XDG_DATA_HOME", "relative/data", 1);
    setenv("XDG_CONFIG_HOME", "relative/config", 1);
    EXPECT_EQ(DataRoot(), home + QStringLiteral("/.local/share/zantor"));
    EXPECT_EQ(DataRootConfigFile(), home + QStringLiteral("/.config/zantor/zantor.ini"));
    EnsureDataFolders();
    // A relative ZANTOR_DATA is ignored too; an absolute one wins over everything.
    setenv("ZANTOR_DATA", "here", 1);
    EXPECT_EQ(DataRoot(), home + QStringLiteral("/.local/share/zantor"));
    setenv("ZANTOR_DATA", qPrintable(tmp.filePath("forced")), 1);
    EXPECT_EQ(DataRoot(), tmp.filePath("forced"));
}

TEST_F(DataRootFixture, AFolderThatCannotBeMadeRaisesWithItsName)
{
    // The root's place is taken by a file.
    QFile blocker(tmp.filePath(QStringLiteral("blocked")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    WriteConfig("[Zantor]\nPathData=" + tmp.filePath("blocked").toUtf8() + "\n");
    try {
        EnsureDataFolders();
        FAIL() << "no error";
    } catch (const EKxError &e) {
        EXPECT_NE(std::string(e.what()).find(tmp.filePath("blocked/Images").toStdString()), std::string::npos)
            << e.what();
    }
}

} // namespace
