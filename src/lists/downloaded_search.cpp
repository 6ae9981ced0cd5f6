#include "lists/downloaded_search.h"

#include "collection/status_log.h"
#include "collection/text_helpers.h"
#include "lists/item_list.h"

namespace {
constexpr int EnterKey = 13;
}

QString DownloadedSearch::hintText()
{
    return QStringLiteral("请输入查找关键字,回车查找");
}

DownloadedSearch::DownloadedSearch(ItemList &downloaded, StatusLog &log, QObject *parent)
    : QObject(parent)
    , m_downloaded(downloaded)
    , m_log(log)
    , m_findStrText(hintText())
{
}

QString DownloadedSearch::FindStrText() const
{
    return m_findStrText;
}

void DownloadedSearch::setFindStrText(const QString &text)
{
    if (text == m_findStrText)
        return;
    m_findStrText = text;
    emit findStrTextChanged(m_findStrText);
}

bool DownloadedSearch::isFindStrTextVisible() const
{
    return m_findStrTextVisible;
}

void DownloadedSearch::setFindStrTextVisible(bool visible)
{
    if (visible == m_findStrTextVisible)
        return;
    m_findStrTextVisible = visible;
    emit findStrTextVisibleChanged(m_findStrTextVisible);
}

void DownloadedSearch::closeBox()
{
    setFindStrTextVisible(false);
    setFindStrText(hintText());
}

QString DownloadedSearch::ustrFindStr() const
{
    return m_ustrFindStr;
}

QStringList DownloadedSearch::ucolFindIndex() const
{
    return m_ucolFindIndex;
}

int DownloadedSearch::ulngCurFindIndex() const
{
    return m_ulngCurFindIndex;
}

void DownloadedSearch::FindADLSub()
{
    const QString typed = m_findStrText;
    setFindStrText(hintText());
    // The hint is what an open box shows when nothing was typed: no keyword.
    if (typed.isEmpty() || (m_findStrTextVisible && typed == hintText())) {
        setFindStrTextVisible(false);
        return;
    }
    if (m_findStrTextVisible) {
        m_ustrFindStr = typed;
    } else {
        if (m_ustrFindStr.isEmpty())
            return;
        m_log.AddMesg(QStringLiteral("已下载列表发生变更,重新查询关键字:") + m_ustrFindStr);
    }
    setFindStrTextVisible(false);
    for (int position = 0; position < m_downloaded.count(); ++position)
        m_downloaded.setSelected(position, false);
    if (findHits() > 0) {
        m_ulngCurFindIndex = 1;
        m_downloaded.setSelected(hitPosition(1), true);
    }
}

void DownloadedSearch::refreshHits()
{
    if (m_ustrFindStr.isEmpty())
        return;
    m_log.AddMesg(QStringLiteral("已下载列表发生变更,重新查询关键字:") + m_ustrFindStr);
    const int hits = findHits();
    // Stepping goes on from the hit the user has selected, if any.
    m_ulngCurFindIndex = 1;
    for (int hit = 1; hit <= hits; ++hit) {
        if (m_downloaded.isSelected(hitPosition(hit))) {
            m_ulngCurFindIndex = hit;
            break;
        }
    }
}

int DownloadedSearch::findHits()
{
    ClearCollection(m_ucolFindIndex);
    int hits = 0;
    const int count = m_downloaded.count();
    for (int position = 0; position < count; ++position) {
        const QString entry = m_downloaded.at(position);
        if (!entry.contains(m_ustrFindStr))
            continue;
        m_log.AddMesg(QStringLiteral("在已下载列表查找到:") + entry);
        ++hits;
        m_ucolFindIndex.append(QString::number(position));
    }
    m_log.AddMesg(QStringLiteral("关键字:") + m_ustrFindStr + QStringLiteral(",在已下载列表共计查找到:")
                  + QString::number(hits) + QStringLiteral("项,请点击【上一个】或【下一个】按钮进行查看结果"));
    return hits;
}

void DownloadedSearch::FindADLCmd_Click()
{
    if (m_findStrTextVisible) {
        FindADLSub();
        setFindStrTextVisible(false);
    } else {
        setFindStrTextVisible(true);
    }
}

void DownloadedSearch::FindNextCmd_Click()
{
    if (m_ucolFindIndex.isEmpty()) {
        m_log.AddMesg(QStringLiteral("无查找结果,请先查找"));
        return;
    }
    if (m_ulngCurFindIndex >= m_ucolFindIndex.size()) {
        m_log.AddMesg(QStringLiteral("查找关键字:") + m_ustrFindStr + QStringLiteral(",已经是最后一个,无法下一个"));
        return;
    }
    m_downloaded.setSelected(hitPosition(m_ulngCurFindIndex), false);
    ++m_ulngCurFindIndex;
    logCurrentHit();
}

void DownloadedSearch::FindUpCmd_Click()
{
    if (m_ucolFindIndex.isEmpty()) {
        m_log.AddMesg(QStringLiteral("无查找结果,请先查找"));
        return;
    }
    if (m_ulngCurFindIndex < 2) {
        m_log.AddMesg(QStringLiteral("查找关键字:") + m_ustrFindStr + QStringLiteral(",已经是第一个,无法上一个"));
        return;
    }
    m_downloaded.setSelected(hitPosition(m_ulngCurFindIndex), false);
    --m_ulngCurFindIndex;
    logCurrentHit();
}

void DownloadedSearch::FindStrText_KeyPress(int keyCode)
{
    if (keyCode == EnterKey)
        FindADLSub();
}

void DownloadedSearch::FindStrText_MouseDown()
{
    setFindStrText(QString());
}

int DownloadedSearch::hitPosition(int hit) const
{
    return m_ucolFindIndex.value(hit - 1).toInt();
}

// Logs the hit just stepped to and selects it.
void DownloadedSearch::logCurrentHit()
{
    m_log.AddMesg(QStringLiteral("查找关键字:") + m_ustrFindStr + QStringLiteral("第")
                  + QString::number(m_ulngCurFindIndex) + QStringLiteral("个结果"));
    m_downloaded.setSelected(hitPosition(m_ulngCurFindIndex), true);
}
