#include "shell/window/batch/progress_strip.h"

#include "collection/batch/batch_cycle.h"
#include "collection/log_notices.h"
#include "collection/status_log.h"
#include "download/item_download.h"
#include "lists/item_list.h"
#include "shell/window/batch/item_parts_label.h"
#include "shell/window/main/program_parts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>

namespace {

// The notice: as wide as its text where the strip has the room, shortened in
// the middle where it has not, so that both ends stay readable.
class NoticeLabel : public QLabel
{
public:
    using QLabel::QLabel;

    void setNotice(const QString &text)
    {
        m_text = text;
        show();
        // The strip makes room for it now, not after this event.
        updateGeometry();
        if (QLayout *row = parentWidget()->layout())
            row->activate();
        fit();
    }

    QSize sizeHint() const override
    {
        const QMargins margins = contentsMargins();
        return {fontMetrics().horizontalAdvance(m_text) + margins.left() + margins.right() + 2 * frameWidth() + 1,
                QLabel::sizeHint().height()};
    }
    QSize minimumSizeHint() const override
    {
        return {fontMetrics().averageCharWidth() * 8, QLabel::minimumSizeHint().height()};
    }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QLabel::resizeEvent(event);
        fit();
    }

private:
    void fit() { setText(fontMetrics().elidedText(m_text, Qt::ElideMiddle, contentsRect().width())); }

    QString m_text;
};

} // namespace

QString ProgressStrip::stepText(const QString &logged)
{
    QString step = logged;
    if (step.startsWith(QStringLiteral("采集中:")))
        step.remove(0, 4);
    if (step.endsWith(QLatin1Char('_')))
        step.chop(1);
    return step;
}

ProgressStrip::ProgressStrip(ProgramParts &core, QWidget *parent)
    : QWidget(parent)
    , m_core(core)
    , m_item(new ItemPartsLabel(this))
    , m_notice(new NoticeLabel(this))
    , m_pictures(new QProgressBar(this))
    , m_counts(new QLabel(this))
    , m_export(new QLabel(this))
    , m_listing(new QLabel(this))
{
    setObjectName(QStringLiteral("ProgressStrip"));
    m_item->setObjectName(QStringLiteral("ProgressItem"));
    m_notice->setObjectName(QStringLiteral("ProgressNotice"));
    m_pictures->setObjectName(QStringLiteral("ProgressPictures"));
    m_counts->setObjectName(QStringLiteral("ProgressCounts"));
    m_export->setObjectName(QStringLiteral("ProgressExport"));
    m_export->hide();
    m_listing->setObjectName(QStringLiteral("ProgressListing"));
    m_listing->hide();
    m_pictures->setFormat(QStringLiteral("图片 %v/%m"));
    m_pictures->setTextVisible(true);
    // Its caption is short: the room goes to the items under way.
    m_pictures->setMaximumWidth(160);
    // The notice takes the room it needs first; the item line shortens its parts.
    m_notice->setStyleSheet(QStringLiteral("color: #8a1c00; background: #ffe08a"));
    m_notice->setContentsMargins(6, 0, 6, 0);
    m_notice->setTextFormat(Qt::PlainText); // a page's title may hold '<'
    m_notice->hide();
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(4, 0, 4, 0);
    row->addWidget(m_item, 1);
    row->addWidget(m_notice);
    row->addWidget(m_pictures);
    row->addSpacing(12);
    row->addWidget(m_export);
    row->addWidget(m_listing);
    row->addWidget(m_counts);

    m_noticeTimer.setSingleShot(true);
    m_noticeTimer.setInterval(NoticeMs);
    connect(&m_noticeTimer, &QTimer::timeout, m_notice, &QWidget::hide);
    connect(&core.log(), &StatusLog::lineAdded, this, &ProgressStrip::showNotice);

    BatchCycle &batch = core.batch();
    connect(&batch, &BatchCycle::stepLogged, this, &ProgressStrip::showStep);
    connect(&batch, &BatchCycle::scrollProgress, this, &ProgressStrip::showScroll);
    connect(&batch, &BatchCycle::itemEnded, this, &ProgressStrip::showItemEnded);
    connect(&batch, &BatchCycle::uiStateChanged, this, [this] {
        if (!m_core.batch().isItemUnderWay())
            showIdle();
    });
    connect(&batch, &BatchCycle::picturesProgressed, this, &ProgressStrip::showPictures);
    connect(&batch, &BatchCycle::itemSaved, this, [this] {
        ++m_collected;
        showCountsOrIdle();
    });
    ItemList &pending = core.lists().readyDownList();
    for (auto signal : {&ItemList::rowsInserted, &ItemList::rowsRemoved})
        connect(&pending, signal, this, &ProgressStrip::showCountsOrIdle);
    connect(&pending, &ItemList::modelReset, this, &ProgressStrip::showCountsOrIdle);
    connect(&core.listing(), &ListingRun::progressed, this, [this](int done, int total) {
        m_listing->setText(QStringLiteral("上架图 %1/%2").arg(done).arg(total));
        m_listing->setVisible(done < total);
    });
    showIdle();
}

void ProgressStrip::showStep(const QString &itemNo, const QString &step, int collector)
{
    if (step == QLatin1String("采集中:加载_")) {
        m_scroll.clear(); // a new item
        m_fetched.remove(collector);
    }
    m_steps.insert(collector, {itemNo, stepText(step)});
    showItem();
}

void ProgressStrip::showItemEnded()
{
    const QList<Collector *> &collectors = m_core.batch().collectorList();
    for (const int collector : m_steps.keys()) {
        if (collector < 0 || collector >= collectors.size() || !collectors.at(collector)->isBusy()) {
            m_steps.remove(collector);
            m_fetched.remove(collector);
        }
    }
    if (m_core.batch().isItemUnderWay())
        showItem();
    else
        showIdle();
}

void ProgressStrip::showScroll(double scrolled, double height, int pictures)
{
    if (!m_core.batch().isItemUnderWay())
        return; // a late answer about an item that has ended
    m_scroll = QStringLiteral("已滚动 %1/%2 像素, 描述图 %3 张")
                   .arg(qRound64(scrolled))
                   .arg(qRound64(height))
                   .arg(pictures);
    showItem();
}

void ProgressStrip::showItem()
{
    const QList<ItemPartsLabel::Part> steps = m_steps.values();
    if (steps.size() <= 1) {
        ItemPartsLabel::Part step = steps.value(0);
        if (!m_scroll.isEmpty())
            step.step += (step.step.isEmpty() ? QString() : ItemPartsLabel::gap()) + m_scroll;
        m_item->setParts(QStringLiteral("正在采集: "), {step});
    } else {
        // One line for several collectors: each item and its step, in the collectors' order.
        m_item->setParts(QStringLiteral("%1个宝贝采集中: ").arg(steps.size()), steps);
    }
}

void ProgressStrip::showPictures(int done, int total, int collector)
{
    m_fetched.insert(collector, {done, total});
    int allDone = 0, all = 0;
    for (const auto &[d, t] : std::as_const(m_fetched)) {
        allDone += d;
        all += t;
    }
    m_pictures->setRange(0, std::max(all, 1));
    m_pictures->setValue(allDone);
    m_pictures->setVisible(true);
}

void ProgressStrip::showCounts()
{
    m_counts->setText(QStringLiteral("本次已采集 %1 个宝贝, 待下载 %2 个")
                          .arg(m_collected)
                          .arg(m_core.lists().readyDownList().count()));
}

void ProgressStrip::showCountsOrIdle()
{
    // Idle, the item line depends on the counts too ("全部完成").
    if (m_core.batch().isItemUnderWay())
        showCounts();
    else
        showIdle();
}

void ProgressStrip::showIdle()
{
    m_scroll.clear();
    m_steps.clear();
    m_fetched.clear();
    if (!m_core.batch().isControllerOn())
        m_item->setParts(QStringLiteral("采集未启动"));
    else if (m_collected > 0 && m_core.lists().readyDownList().count() == 0)
        m_item->setParts(QStringLiteral("全部完成:本次已采集 %1 个宝贝").arg(m_collected));
    else
        m_item->setParts(QStringLiteral("等待下一个宝贝"));
    m_pictures->setVisible(false);
    showCounts();
}

void ProgressStrip::showNotice(const QString &logLine)
{
    // The log line is "date time message".
    const QString message = logLine.section(QLatin1Char(' '), 2);
    if (!isFailureNotice(message))
        return;
    static_cast<NoticeLabel *>(m_notice)->setNotice(logLine.section(QLatin1Char(' '), 1));
    m_notice->setToolTip(logLine);
    m_noticeTimer.start();
}

void ProgressStrip::showExport(int done, int total)
{
    m_export->setText(done < total ? QStringLiteral("导出表格 %1/%2").arg(done).arg(total)
                                   : QStringLiteral("导出表格:正在写入文件"));
    m_export->show();
}

void ProgressStrip::hideExport()
{
    m_export->hide();
    m_listing->setObjectName(QStringLiteral("ProgressListing"));
    m_listing->hide();
}
