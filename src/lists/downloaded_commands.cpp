#include "lists/downloaded_commands.h"

#include "collection/status_log.h"
#include "lists/downloaded_search.h"
#include "lists/item_lines.h"
#include "lists/list_commands.h"
#include "lists/list_file.h"
#include "lists/list_store.h"
#include "platform/desktop/desktop.h"
#include "platform/net/web_address.h"

#include <QFileInfo>
#include <QUrl>

namespace {
constexpr int AddressFields = 4; // item number, title, folder, address
constexpr int FolderFields = 3;
} // namespace

DownloadedCommands::DownloadedCommands(ListStore &lists, ListFile &listFile, DownloadedSearch &search,
                                       StatusLog &log, Opener &opener)
    : m_lists(lists)
    , m_listFile(listFile)
    , m_search(search)
    , m_log(log)
    , m_opener(opener)
{
}

void DownloadedCommands::DelCmd_Click()
{
    if (!removeSelected(m_lists.AlreadyDownedList(), m_log, QStringLiteral("删除已下载列表失败,原因:未选择"),
                        QStringLiteral("删除已下载信息")))
        return;
    m_search.FindADLSub();
    m_listFile.SaveLists();
}

void DownloadedCommands::RePickCmd_Click()
{
    ItemList &downloaded = m_lists.AlreadyDownedList();
    ItemList &pending = m_lists.readyDownList();
    if (downloaded.selectedCount() == 0) {
        m_log.AddMesg(QStringLiteral("重新采集已下载列表失败,原因:未选择"));
        return;
    }
    walkSelection(downloaded, [&](int position, const QString &line) {
        if (!hasFields(line, AddressFields)) {
            m_log.AddMesg(QStringLiteral("重新采集<") + line + QStringLiteral(">失败,原因:该行没有宝贝网址"));
            return false;
        }
        const DownloadedLine item = DownloadedLine::parse(line);
        m_log.AddMesg(QStringLiteral("重新采集<") + line + QStringLiteral(">"));
        downloaded.removeAt(position);
        pending.append(PendingLine{item.itemNo, item.address, QString(), true, true}.toString());
        pending.setSelected(pending.count() - 1, true);
        return true;
    });
    m_search.FindADLSub();
    m_listFile.SaveLists();
}

void DownloadedCommands::OpenWebCmd_Click()
{
    ItemList &downloaded = m_lists.AlreadyDownedList();
    if (downloaded.selectedCount() == 0) {
        m_log.AddMesg(QStringLiteral("打开宝贝网址失败,原因:未选择"));
        return;
    }
    walkSelection(downloaded, [&](int, const QString &line) {
        if (!hasFields(line, AddressFields)) {
            m_log.AddMesg(QStringLiteral("打开宝贝网址失败<") + line + QStringLiteral(">,原因:该行没有宝贝网址"));
            return false;
        }
        const QString address = DownloadedLine::parse(line).address;
        if (!isWebAddress(QUrl(address, QUrl::StrictMode))) {
            m_log.AddMesg(QStringLiteral("拒绝打开宝贝网址<") + address
                          + QStringLiteral(">,原因:只能打开http或https开头的网址"));
            return false;
        }
        m_log.AddMesg(QStringLiteral("即将打开宝贝网址<") + address + QStringLiteral(">"));
        if (m_opener.openAddress(address)) {
            m_log.AddMesg(QStringLiteral("成功打开宝贝网址<") + address + QStringLiteral(">"));
        } else {
            m_log.AddMesg(QStringLiteral("打开宝贝网址失败<") + address + QStringLiteral(">,原因:系统没有可用的浏览器"));
        }
        return false;
    });
    m_listFile.SaveLists();
}

void DownloadedCommands::AlreadyDownedList_Click(int current)
{
    m_log.AddMesg(QStringLiteral("在已下载列表选择:") + m_lists.AlreadyDownedList().at(current));
}

void DownloadedCommands::AlreadyDownedList_DblClick(int current)
{
    const ItemList &downloaded = m_lists.AlreadyDownedList();
    if (current < 0 || current >= downloaded.count())
        return;
    const QString line = downloaded.at(current);
    if (!hasFields(line, FolderFields)) {
        m_log.AddMesg(QStringLiteral("打开目录失败<") + line + QStringLiteral(">,原因:该行没有宝贝目录"));
        return;
    }
    QString folder = DownloadedLine::parse(line).folder;
    folder.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
    if (const std::optional<QString> failure = openFolderOrSayWhy(m_opener, folder)) {
        m_log.AddMesg(*failure);
        return;
    }
    m_log.AddMesg(QStringLiteral("打开目录:") + folder);
}
