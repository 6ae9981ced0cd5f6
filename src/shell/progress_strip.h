#pragma once

#include <QWidget>

class ProgramCore;
class QLabel;
class QProgressBar;

// The strip below the browser area: the item under way and its step, a bar
// of its pictures (n of m), and the items collected in this run and still
// pending. It follows the batch cycle, the item download and the pending list.
class ProgressStrip : public QWidget
{
    Q_OBJECT
public:
    static constexpr int HeightTwips = 240;

    explicit ProgressStrip(ProgramCore &core, QWidget *parent = nullptr);

    // The step as the strip shows it: "采集中:加载完成_" reads "加载完成".
    static QString stepText(const QString &logged);

private:
    void showStep(const QString &itemNo, const QString &step);
    void showPictures(int done, int total);
    void showCounts();
    void showIdle();

    ProgramCore &m_core;
    QLabel *m_item;
    QProgressBar *m_pictures;
    QLabel *m_counts;
    int m_collected = 0;
};
