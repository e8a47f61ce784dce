// The cups-pdf test queue's output: where its PDF files land, waiting for a job's file, and
// running poppler's tools on it.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace zt {

// The queue this test run's set-up made (scripts/test-printer.sh writes its name into the
// file ZANTOR_TEST_QUEUE_FILE); empty when the set-up has not run.
QString TestQueueName();
inline const QString CupsQueue = TestQueueName();

// Standard output of Program, empty when it fails or takes over 30 s.
QString RunTool(const QString &Program, const QStringList &Args);
// The folder cups-pdf writes the test queue's files into (the set-up's second line).
QString CupsOutputFolder();
// The newest PDF in Folder written after Since, once pdfinfo reads it whole; empty when
// none comes within the timeout.
QString WaitForPdf(const QString &Folder, const QDateTime &Since, int TimeoutMs);

} // namespace zt
