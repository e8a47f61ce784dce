#include "prompts/KXPromptsUIServices.h"

#include <QApplication>
#include <QCursor>

namespace kx {

void TKXPromptsUIServices::ShowMessage(const QString &Text) { Prompts().Message(Text, QString(), mbOK, TKXMsgIcon::None); }

void TKXPromptsUIServices::BeginBusy() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }

void TKXPromptsUIServices::EndBusy() { QApplication::restoreOverrideCursor(); }

QString TKXPromptsUIServices::ChoosePicture(const QString &Filter, const QString &InitialDir)
{
    int index = 1;
    QString file = InitialDir;
    if (!Prompts().OpenFile(QStringLiteral("Open picture"), ParseFilterList(Filter), index, file))
        return QString();
    return file;
}

std::vector<TKXFileFilter> ParseFilterList(const QString &Filter)
{
    std::vector<TKXFileFilter> filters;
    const QStringList parts = Filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters.push_back({parts.at(i).trimmed(), parts.at(i + 1).trimmed()});
    return filters;
}

} // namespace kx
