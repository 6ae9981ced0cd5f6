#pragma once

#include <QWidget>

#include <functional>

class ProgramParts;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimeEdit;
class QTreeWidget;
class WatchSchedule;
struct WatchReport;

// 店铺上新: the watched shops with their last check, items, new and 下架
// counts; adding one (typed, or the shop of the page in the address bar, with
// 采集店铺现有宝贝), removing one, 立即检查, the schedule, and the last checks'
// record. A view over the watch file, the check and the schedule; every
// control is reached with the keyboard.
class WatchWindow : public QWidget
{
    Q_OBJECT
public:
    WatchWindow(ProgramParts &core, std::function<QString()> currentPage, QWidget *parent = nullptr);

    // The shops, the schedule and the record as they stand now.
    void refresh();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void build();
    void addShop();
    void removeSelected();
    void applySchedule();
    void showScheduleState();
    void showCheckEnded(const WatchReport &report);

    ProgramParts &m_core;
    WatchSchedule &m_schedule;
    std::function<QString()> m_currentPage;
    QLineEdit *m_address = nullptr;
    QPushButton *m_currentShop = nullptr;
    QCheckBox *m_withExisting = nullptr;
    QPushButton *m_add = nullptr;
    QTreeWidget *m_shops = nullptr;
    QPushButton *m_remove = nullptr;
    QPushButton *m_checkNow = nullptr;
    QCheckBox *m_daily = nullptr;
    QTimeEdit *m_time = nullptr;
    QPushButton *m_apply = nullptr;
    QLabel *m_scheduleState = nullptr;
    QLabel *m_progress = nullptr;
    QPlainTextEdit *m_record = nullptr;
};
