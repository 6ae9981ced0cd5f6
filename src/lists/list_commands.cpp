#include "lists/list_commands.h"

#include "collection/status_log.h"
#include "lists/list_file.h"
#include "lists/list_store.h"

ListCommands::ListCommands(ListStore &lists, ListFile &listFile, StatusLog &log)
    : m_lists(lists)
    , m_listFile(listFile)
    , m_log(log)
{
}

void ListCommands::addUrlCmd_Click()
{
    queueLines(m_lists.AddUrlText());
    m_lists.setAddUrlText(QString());
    m_listFile.SaveLists();
}

void ListCommands::queueUrlLines(const QString &lines)
{
    queueLines(lines);
    m_listFile.SaveLists();
}

void ListCommands::queueLines(const QString &text)
{
    const QStringList pieces = text.split(QLatin1Char('\r'));
    for (QString piece : pieces) {
        piece.remove(QLatin1Char('\n'));
        if (piece.isEmpty())
            continue;
        const QStringList fields = piece.split(QLatin1Char('|'));
        const QString itemNo = fields.size() >= 2 ? fields.at(1) : QStringLiteral("null");
        const QString line = itemNo + QLatin1Char('|') + fields.at(0);
        m_lists.readyDownList().append(line);
        m_log.AddMesg(QStringLiteral("添加<") + line + QStringLiteral(">到待下载列表"));
    }
}
