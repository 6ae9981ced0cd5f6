#include "shell/window/watch/watch_window.h"

#include "collection/status_log.h"
#include "shell/browser/owned_window.h"
#include "shell/watch_schedule.h"
#include "shell/window/main/program_parts.h"
#include "shop/change_record.h"
#include "shop/watch_check.h"
#include "shop/watch_list.h"

#include <QCheckBox>
#include <QDateTime>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString when(const QDateTime &t)
{
    return t.isValid() ? t.toString(QStringLiteral("yyyy-MM-dd HH:mm")) : QStringLiteral("未检查");
}

template <typename W> W *named(W *w, const char *name)
{
    w->setObjectName(QLatin1String(name));
    return w;
}

} // namespace

WatchWindow::WatchWindow(ProgramParts &core, std::function<QString()> currentPage, QWidget *parent)
    : QWidget(parent, ownedWindowFlags())
    , m_core(core)
    , m_schedule(core.watchSchedule())
    , m_currentPage(std::move(currentPage))
{
    setObjectName(QStringLiteral("WatchWindow"));
    setWindowTitle(QStringLiteral("店铺上新"));
    build();
    connect(&core.watch(), &WatchCheck::readingChanged, this, [this](const QStringList &names, int done, int count) {
        m_progress->setText(
            QStringLiteral("正在检查店铺%1(已完成%2/%3)...").arg(names.join(QStringLiteral("、"))).arg(done).arg(count));
        m_checkNow->setEnabled(false);
    });
    connect(&core.watch(), &WatchCheck::finished, this, [this](const WatchReport &report) { showCheckEnded(report); });
    connect(&m_schedule, &WatchSchedule::changed, this, &WatchWindow::showScheduleState);
    closeOnEscape(this);
    refresh();
}

void WatchWindow::build()
{
    auto *addressLabel = new QLabel(QStringLiteral("店铺地址(&D):"), this);
    m_address = named(new QLineEdit(this), "WatchAddressText");
    m_address->setPlaceholderText(QStringLiteral("http://店铺名.zorvane.com"));
    m_address->setClearButtonEnabled(true);
    addressLabel->setBuddy(m_address);
    m_address->installEventFilter(this);
    m_currentShop = named(new QPushButton(QStringLiteral("当前页店铺(&P)"), this), "CurrentShopCmd");
    m_currentShop->setToolTip(QStringLiteral("填入地址栏中网页所在的店铺"));
    m_withExisting = named(new QCheckBox(QStringLiteral("采集店铺现有宝贝(&E)"), this), "WithExistingChk");
    m_withExisting->setToolTip(QStringLiteral("勾选:第一次检查就采集店铺现有的宝贝;不勾选:第一次检查只记录,之后只采集新宝贝"));
    m_add = named(new QPushButton(QStringLiteral("加入监控(&A)"), this), "AddWatchCmd");

    m_shops = named(new QTreeWidget(this), "WatchShopList");
    m_shops->setHeaderLabels({QStringLiteral("店铺"), QStringLiteral("地址"), QStringLiteral("加入日期"),
                              QStringLiteral("上次检查"), QStringLiteral("宝贝"), QStringLiteral("新宝贝"),
                              QStringLiteral("下架"), QStringLiteral("状态")});
    m_shops->setRootIsDecorated(false);
    m_shops->setUniformRowHeights(true);
    m_shops->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_shops->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_shops->header()->setStretchLastSection(true);
    m_shops->installEventFilter(this);
    m_remove = named(new QPushButton(QStringLiteral("移除(&R)"), this), "RemoveWatchCmd");
    m_remove->setToolTip(QStringLiteral("不再监控选中的店铺(列表中按 Delete 键也可以)"));
    m_checkNow = named(new QPushButton(QStringLiteral("立即检查(&C)"), this), "CheckNowCmd");
    m_progress = named(new QLabel(this), "WatchProgressLbl");

    m_daily = named(new QCheckBox(QStringLiteral("每天(&T)"), this), "DailyChk");
    m_time = named(new QTimeEdit(QTime(9, 0), this), "DailyTime");
    m_time->setDisplayFormat(QStringLiteral("HH:mm"));
    m_apply = named(new QPushButton(QStringLiteral("设置定时(&S)"), this), "ApplyScheduleCmd");
    m_scheduleState = named(new QLabel(this), "ScheduleStateLbl");
    m_scheduleState->setWordWrap(true);

    auto *recordLabel = new QLabel(QStringLiteral("最近的检查记录(&L):"), this);
    m_record = named(new QPlainTextEdit(this), "WatchRecordText");
    m_record->setReadOnly(true);
    m_record->setLineWrapMode(QPlainTextEdit::NoWrap);
    recordLabel->setBuddy(m_record);

    auto *top = new QHBoxLayout;
    top->addWidget(addressLabel);
    top->addWidget(m_address, 1);
    top->addWidget(m_currentShop);
    top->addWidget(m_withExisting);
    top->addWidget(m_add);
    auto *actions = new QHBoxLayout;
    actions->addWidget(m_remove);
    actions->addWidget(m_checkNow);
    actions->addWidget(m_progress, 1);
    auto *schedule = new QHBoxLayout;
    schedule->addWidget(new QLabel(QStringLiteral("定时检查:"), this));
    schedule->addWidget(m_daily);
    schedule->addWidget(m_time);
    schedule->addWidget(m_apply);
    schedule->addWidget(m_scheduleState, 1);
    auto *all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addWidget(m_shops, 2);
    all->addLayout(actions);
    all->addLayout(schedule);
    all->addWidget(recordLabel);
    all->addWidget(m_record, 1);

    for (auto [from, to] : std::initializer_list<std::pair<QWidget *, QWidget *>>{
             {m_address, m_currentShop}, {m_currentShop, m_withExisting}, {m_withExisting, m_add}, {m_add, m_shops},
             {m_shops, m_remove}, {m_remove, m_checkNow}, {m_checkNow, m_daily}, {m_daily, m_time}, {m_time, m_apply},
             {m_apply, m_record}})
        setTabOrder(from, to);

    connect(m_add, &QPushButton::clicked, this, &WatchWindow::addShop);
    connect(m_currentShop, &QPushButton::clicked, this, [this] {
        const std::optional<QString> shop = WatchList::shopAddress(m_currentPage ? m_currentPage() : QString());
        if (shop)
            m_address->setText(*shop);
        else
            m_core.log().AddMesg(QStringLiteral("地址栏中没有店铺网页"));
        m_address->setFocus(Qt::OtherFocusReason);
    });
    connect(m_remove, &QPushButton::clicked, this, &WatchWindow::removeSelected);
    connect(m_checkNow, &QPushButton::clicked, this, [this] {
        if (m_core.watch().start())
            m_progress->setText(QStringLiteral("检查开始..."));
    });
    connect(m_apply, &QPushButton::clicked, this, &WatchWindow::applySchedule);
    resize(sizeHint().expandedTo(QSize(fontMetrics().horizontalAdvance(QLatin1Char('M')) * 90,
                                       fontMetrics().height() * 32)));
}

void WatchWindow::refresh()
{
    const QList<WatchedShop> shops = WatchList(m_core.programFolder()).shops();
    m_shops->clear();
    for (const WatchedShop &s : shops) {
        auto *row = new QTreeWidgetItem(m_shops, {s.name, s.address, when(s.added), when(s.lastCheck),
                                                  QString::number(s.items.size()), QString::number(s.lastNew),
                                                  QString::number(s.lastGone),
                                                  s.lastFailure.isEmpty() ? (s.recorded() ? QStringLiteral("正常") : QStringLiteral("等待首次检查"))
                                                                          : QStringLiteral("无法读取:") + s.lastFailure});
        row->setData(0, Qt::UserRole, s.address);
    }
    if (m_shops->topLevelItemCount() > 0 && !m_shops->currentItem())
        m_shops->setCurrentItem(m_shops->topLevelItem(0), 0, QItemSelectionModel::NoUpdate);
    m_remove->setEnabled(!shops.isEmpty());
    m_checkNow->setEnabled(!m_core.watch().isRunning());
    showScheduleState();
    const QString path = m_core.watch().recordPath();
    const QStringList blocks = ChangeRecord(QFileInfo(path).path()).lastBlocks(10);
    m_record->setPlainText(blocks.isEmpty() ? QStringLiteral("还没有检查记录。记录文件:") + path
                                            : blocks.join(QStringLiteral("\n\n")).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void WatchWindow::showScheduleState()
{
    const std::optional<QTime> at = m_schedule.time();
    m_daily->setChecked(at.has_value());
    if (at)
        m_time->setTime(*at);
    const QString note = m_schedule.note();
    m_scheduleState->setText(QStringLiteral("现在:") + m_schedule.describe()
                             + (note.isEmpty() ? QString() : QLatin1Char('\n') + note));
}

void WatchWindow::addShop()
{
    QString message;
    const WatchList::Change change = WatchList(m_core.programFolder()).add(m_address->text(), m_withExisting->isChecked(),
                                                                           QDateTime::currentDateTime(), &message);
    m_core.log().AddMesg(message);
    m_progress->setText(message);
    if (change == WatchList::Change::Done) {
        m_address->clear();
        m_withExisting->setChecked(false);
    }
    refresh();
}

void WatchWindow::removeSelected()
{
    QStringList addresses;
    for (const QTreeWidgetItem *row : m_shops->selectedItems())
        addresses << row->data(0, Qt::UserRole).toString();
    if (addresses.isEmpty() && m_shops->currentItem())
        addresses << m_shops->currentItem()->data(0, Qt::UserRole).toString();
    for (const QString &address : std::as_const(addresses)) {
        QString message;
        WatchList(m_core.programFolder()).remove(address, &message);
        m_core.log().AddMesg(message);
        m_progress->setText(message);
    }
    refresh();
    m_shops->setFocus(Qt::OtherFocusReason);
}

void WatchWindow::applySchedule()
{
    m_apply->setEnabled(false);
    const auto done = [this] { m_apply->setEnabled(true); };
    if (m_daily->isChecked())
        m_schedule.setDaily(m_time->time(), [done](WatchSchedule::Keeper) { done(); });
    else
        m_schedule.turnOff([done](bool) { done(); });
}

void WatchWindow::showCheckEnded(const WatchReport &report)
{
    m_progress->setText(QStringLiteral("检查完成:%1个新宝贝,%2个下架,%3个店铺无法读取")
                            .arg(report.newCount())
                            .arg(report.goneCount())
                            .arg(report.unreadCount()));
    refresh();
}

void WatchWindow::showEvent(QShowEvent *event)
{
    refresh();
    QWidget::showEvent(event);
}

bool WatchWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (watched == m_address && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            addShop();
            return true;
        }
        if (watched == m_shops && key == Qt::Key_Delete) {
            removeSelected();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
