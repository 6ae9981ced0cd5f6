#include "shell/browser/tab_book.h"

#include "collection/text_helpers.h"
#include "platform/desktop/prompts.h"

TabBook::TabBook(std::function<bool(qint16)> pickBusy, Prompts &prompts, int timer2Ms, QObject *parent)
    : QObject(parent)
    , m_pickBusy(std::move(pickBusy))
    , m_prompts(prompts)
    , m_tabs{Tab{0, tabKey(0)}}
{
    m_timer2.setInterval(timer2Ms);
    m_timer2.setObjectName(QStringLiteral("Timer2"));
    connect(&m_timer2, &QTimer::timeout, this, &TabBook::Timer2_Timer);
}

QString TabBook::tabKey(qint16 index)
{
    return index == 0 ? QStringLiteral("t0") : QString::number(index) + QLatin1Char('t');
}

QString TabBook::tabCaption(const QString &title)
{
    qsizetype length = 0;
    for (int characters = 0; characters < 5 && length < title.size(); ++characters)
        length += title.at(length).isHighSurrogate() && length + 1 < title.size() ? 2 : 1;
    return CleanName(title.left(length));
}

QList<qint16> TabBook::TabList() const
{
    QList<qint16> list;
    for (const Tab &tab : m_tabs)
        list.append(tab.index);
    return list;
}

int TabBook::currentPosition() const
{
    return FindTabPos(TabList(), m_current);
}

std::optional<qint16> TabBook::NewP()
{
    const QList<qint16> used = TabList();
    qint16 free = 0;
    while (used.contains(free))
        ++free;
    if (free >= BrowserCount)
        return std::nullopt;
    m_current = free;
    // The key of a reopened index 0 follows the rule for opened tabs.
    m_tabs.append(Tab{free, QString::number(free) + QLatin1Char('t')});
    emit tabOpened(count(), free, m_tabs.last().key);
    TabStrip1_Click(FindTabPos(TabList(), free));
    return free;
}

void TabBook::Close_B_Click()
{
    const qint16 closing = m_current;
    if (m_pickBusy && m_pickBusy(closing)) {
        m_prompts.showMessage(Prompts::Icon::Critical, QStringLiteral("错误"), QStringLiteral("采集中不能关闭"));
        return;
    }
    if (count() < 2) {
        emit sendHome(closing);
    } else if (const int position = currentPosition(); position > 0) {
        m_tabs.removeAt(position - 1);
        emit tabClosed(position, closing);
    }
    TabStrip1_Click(count());
}

bool TabBook::TabStrip1_Click(int position)
{
    if (position < 1 || position > count())
        return false;
    m_current = m_tabs.at(position - 1).index;
    emit currentChanged(position, m_current);
    return true;
}

bool TabBook::goback_Click()
{
    return TabStrip1_Click(currentPosition() - 1);
}

bool TabBook::GoForward_Click()
{
    const int position = currentPosition();
    return position > 0 && TabStrip1_Click(position + 1);
}

void TabBook::TabStrip1_MouseUp(int selectedPosition)
{
    if (selectedPosition < 1 || selectedPosition > count())
        return;
    const qint16 selected = m_tabs.at(selectedPosition - 1).index;
    // Two releases on the same tab close it; a release on another tab is a
    // switch between tabs and starts a new window for that tab.
    if (selected == m_current && selected == m_timer2Tab && m_timer2.isActive()) {
        m_timer2.stop();
        m_timer2Tab = -1;
        Close_B_Click();
        return;
    }
    m_timer2Tab = selected;
    m_timer2.start();
}

void TabBook::Timer2_Timer()
{
    m_timer2.stop();
    m_timer2Tab = -1;
}

void TabBook::WebBrowser1_TitleChange(qint16 index, const QString &title)
{
    const int position = FindTabPos(TabList(), index);
    if (position == 0)
        return;
    // A page in a background tab does not rename the window: the caption names
    // the page the address bar shows, and a favourite is stored under it.
    if (isCurrent(index))
        emit windowCaptionChanged(title);
    emit tabCaptionChanged(position, tabCaption(title));
}
