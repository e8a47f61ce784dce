// The cups-pdf test queue's output: where its PDF files land, waiting for a job's file, and
// running poppler's tools on it.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace zt {

// The queue the test set-up starts (scripts/test-printer.sh).
inline const QString CupsQueue = QStringLiteral("ZantorTestPDF");

// Standard output of Program, empty when it fails or takes over 30 s.
QString RunTool(const QString &Program, const QStringList &Args);
// The folder cups-pdf writes this user's files into.
QString CupsOutputFolder();
// The newest PDF in Folder written after Since, once pdfinfo reads it whole; empty when
// none comes within the timeout.
QString WaitForPdf(const QString &Folder, const QDateTime &Since, int TimeoutMs);

} // namespace zt
