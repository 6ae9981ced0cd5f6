#pragma once

#include "shell/window/batch/item_parts_label.h"

#include <QMap>
#include <QTimer>
#include <QWidget>

class ProgramParts;
class QLabel;
class QProgressBar;

// The strip below the browser area: the item under way and its step (at the
// standard pace with how far its page has been scrolled and how many
// description pictures it shows), a bar of its pictures (n of m), and the
// items collected in this run and still pending. The latest failure or
// refusal the log reports stands out in it for a while, so that the busy
// log cannot hide it. An export and 上架图 under way show how far they are.
class ProgressStrip : public QWidget
{
    Q_OBJECT
public:
    static constexpr int HeightTwips = 240;
    static constexpr int NoticeMs = 15000;

    explicit ProgressStrip(ProgramParts &core, QWidget *parent = nullptr);

    // The step as the strip shows it: "采集中:加载完成_" reads "加载完成".
    static QString stepText(const QString &logged);
    // How long a failure stays in the strip when no other follows.
    void setNoticeDuration(int ms) { m_noticeTimer.setInterval(ms); }
    // An export under way: items read so far, then the file being written.
    void showExport(int done, int total);
    void hideExport();

private:
    void showStep(const QString &itemNo, const QString &step, int collector);
    void showScroll(double scrolled, double height, int pictures);
    void showItem();
    void showPictures(int done, int total, int collector);
    // An item ended: what the collectors still hold stays, or the strip goes idle.
    void showItemEnded();
    void showCounts();
    void showCountsOrIdle();
    void showIdle();
    void showNotice(const QString &logLine);

    ProgramParts &m_core;
    ItemPartsLabel *m_item;
    QLabel *m_notice;
    QProgressBar *m_pictures;
    QLabel *m_counts;
    QLabel *m_export;
    QLabel *m_listing; // 上架图 under way: items done of all queued
    QTimer m_noticeTimer;
    QMap<int, ItemPartsLabel::Part> m_steps; // by collector: its item and step
    QMap<int, std::pair<int, int>> m_fetched; // by collector: its item's pictures done, of all
    QString m_scroll; // how far the page has been scrolled, with one item under way
    int m_collected = 0;
};
