#pragma once

#include <QLabel>
#include <QStringList>

// The progress strip's item line: a lead ("正在采集: ", "3个宝贝采集中: ") and
// a part for each item under way. Where the room the strip leaves is short,
// each long part is shortened with "…" to its share, so that every item stays
// in view and the line ends inside the label, never under the counts beside it.
class ItemPartsLabel : public QLabel
{
public:
    explicit ItemPartsLabel(QWidget *parent = nullptr);

    void setParts(const QString &lead, const QStringList &parts = {});

    // The line as it fits `width` pixels in `metrics`: parts shorter than an
    // equal share stay whole, the others share what is left.
    static QString fitted(const QFontMetrics &metrics, int width, const QString &lead, const QStringList &parts);
    static QString separator() { return QStringLiteral(" · "); }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void fit();

    QString m_lead;
    QStringList m_parts;
};
