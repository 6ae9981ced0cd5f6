#pragma once

#include <QLabel>
#include <QList>
#include <QString>

// The progress strip's item line: a lead ("正在采集: ", "3个宝贝采集中: ") and
// a part for each item under way, its item number and its step. Where the
// room the strip leaves is short, each long part is shortened to its share:
// first the item number from the front, down to the end that tells the items
// apart, then the step from its end. Every item stays in view with its step
// begun, and the line ends inside the label, never under the counts beside it.
class ItemPartsLabel : public QLabel
{
public:
    struct Part
    {
        QString item;
        QString step;
    };

    explicit ItemPartsLabel(QWidget *parent = nullptr);

    void setParts(const QString &lead, const QList<Part> &parts = {});

    // The line as it fits `width` pixels in `metrics`: parts shorter than an
    // equal share stay whole, the others share what is left.
    static QString fitted(const QFontMetrics &metrics, int width, const QString &lead, const QList<Part> &parts);
    static QString separator() { return QStringLiteral(" · "); }
    // Between an item number and its step.
    static QString gap() { return QStringLiteral("  "); }
    // The characters an item number keeps at least: its end, as long as
    // needed to tell the items of the line apart, and never shorter than this.
    static constexpr int KeptEnd = 4;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void fit();

    QString m_lead;
    QList<Part> m_parts;
};
