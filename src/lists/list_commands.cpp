#include "lists/list_commands.h"

#include "collection/status_log.h"
#include "collection/text_helpers.h"
#include "lists/item_list.h"
#include "lists/list_file.h"
#include "lists/list_store.h"
#include "platform/desktop/prompts.h"

void walkSelection(ItemList &list, const std::function<bool(int, const QString &)> &act)
{
    // Positions are 16-bit in the list box; no list gets that long.
    int position = 0;
    while (position < list.count()) {
        if (!list.isSelected(position) || !act(position, list.at(position)))
            ++position;
    }
}

bool removeSelected(ItemList &list, StatusLog &log, const QString &none, const QString &prefix)
{
    if (list.selectedCount() == 0) {
        log.AddMesg(none);
        return false;
    }
    walkSelection(list, [&](int position, const QString &line) {
        log.AddMesg(prefix + QStringLiteral("<") + line + QStringLiteral(">"));
        list.removeAt(position);
        return true;
    });
    return true;
}

bool hasFields(const QString &line, int needed)
{
    return line.count(QLatin1Char('|')) + 1 >= needed;
}

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

void ListCommands::AddToListCmd_Click(const QString &address, Prompts &prompts)
{
    if (address.isEmpty())
        return;
    prompts.askText(namePrompt(), nameTitle(), namePreset(), [this, address](std::optional<QString> answer) {
        // Cancelled or left empty: the preset name. A typed "|" would start another field of the line.
        const QString name = answer && !answer->isEmpty() ? PlainPageText(*answer) : namePreset();
        const QString line = name + QLatin1Char('|') + address;
        m_lists.readyDownList().append(line);
        m_listFile.SaveLists();
        m_log.AddMesg(line + QStringLiteral("已添加到宝贝列表!"));
    });
}

void ListCommands::DelUrlCmd_Click()
{
    if (removeSelected(m_lists.readyDownList(), m_log, QStringLiteral("删除待下载信息失败,原因:未选择"),
                       QStringLiteral("删除")))
        m_listFile.SaveLists();
}

void ListCommands::InsertToTopCmd_Click()
{
    ItemList &pending = m_lists.readyDownList();
    if (pending.selectedCount() == 0)
        return;
    QStringList moved;
    walkSelection(pending, [&](int position, const QString &line) {
        m_log.AddMesg(QStringLiteral("置顶<") + line + QStringLiteral(">"));
        moved.append(line);
        pending.removeAt(position);
        return true;
    });
    for (qsizetype i = moved.size() - 1; i >= 0; --i)
        pending.insert(0, moved.at(i));
    m_listFile.SaveLists();
}
