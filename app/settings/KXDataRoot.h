// The root of the person's folders (labels, pictures, templates, the data folder with the
// settings, the database and the catalogue).
//
// The root is the folder named by "PathData" in section [Zantor] of
// $XDG_CONFIG_HOME/zantor/zantor.ini when that file gives one (the program never writes
// that file: an administrator or the person sets it); otherwise "zantor" under the XDG data
// folder ($XDG_DATA_HOME, else ~/.local/share). A relative PathData is taken from the
// folder of zantor.ini and "~/" from the home folder: the root is never the current folder.
// ZANTOR_DATA in the environment, when set to an absolute path, names the root before
// anything else (a second installation, a test run).
#pragma once

#include <QString>

namespace kx {

// The folders below the root.
inline const QString DataImages = QStringLiteral("Images");
inline const QString DataLabels = QStringLiteral("Labels");
inline const QString DataTemplates = QStringLiteral("Templates");
inline const QString DataData = QStringLiteral("Data");
inline const QString DataBackup = QStringLiteral("Data/Backup");

// The absolute root, without a closing separator; worked out anew on each call. Throws
// EKxError when no absolute folder can be found (no home folder) or zantor.ini cannot be
// read.
QString DataRoot();

// The file that may name the root: $XDG_CONFIG_HOME/zantor/zantor.ini.
QString DataRootConfigFile();

// A folder below the root ("Labels", "Data/Backup"): DataRoot() + "/" + Name.
QString DataFolder(const QString &Name);

// Creates the root with Images/, Labels/, Templates/, Data/ and Data/Backup/ where they
// are missing (at the program's start) and answers the root. A folder that cannot be made
// throws EKxError naming it.
QString EnsureDataFolders();

} // namespace kx
