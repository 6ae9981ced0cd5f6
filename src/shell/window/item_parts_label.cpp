#include "shell/window/item_parts_label.h"

#include <QFontMetrics>

#include <algorithm>

ItemPartsLabel::ItemPartsLabel(QWidget *parent)
    : QLabel(parent)
{
    // As wide as the strip leaves it, whatever its text.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setTextFormat(Qt::PlainText);
}

void ItemPartsLabel::setParts(const QString &lead, const QStringList &parts)
{
    m_lead = lead;
    m_parts = parts;
    setToolTip(parts.size() > 1 ? lead + parts.join(separator()) : QString());
    fit();
}

QString ItemPartsLabel::fitted(const QFontMetrics &metrics, int width, const QString &lead, const QStringList &parts)
{
    const QString whole = lead + parts.join(separator());
    if (metrics.horizontalAdvance(whole) <= width || parts.isEmpty())
        return whole;
    const qsizetype count = parts.size();
    // A pixel for each join, where the pieces' rounded widths may not add up.
    qint64 room = width - metrics.horizontalAdvance(lead) - (count - 1) * (metrics.horizontalAdvance(separator()) + 1);
    QList<int> widths;
    for (const QString &part : parts)
        widths.append(metrics.horizontalAdvance(part));
    // Short parts keep their width; the long ones share the rest equally.
    QList<bool> keeps(count, false);
    for (bool changed = true; changed;) {
        changed = false;
        qint64 rest = room;
        qsizetype sharing = 0;
        for (qsizetype i = 0; i < count; ++i) {
            if (keeps.at(i))
                rest -= widths.at(i);
            else
                ++sharing;
        }
        if (sharing == 0)
            break;
        for (qsizetype i = 0; i < count; ++i) {
            if (!keeps.at(i) && widths.at(i) <= rest / sharing) {
                keeps[i] = true;
                changed = true;
            }
        }
        if (!changed) {
            for (qsizetype i = 0; i < count; ++i) {
                if (!keeps.at(i))
                    widths[i] = int(std::max<qint64>(0, rest / sharing));
            }
        }
    }
    QStringList shown;
    for (qsizetype i = 0; i < count; ++i) {
        if (keeps.at(i)) {
            shown.append(parts.at(i));
            continue;
        }
        const QString cut = metrics.elidedText(parts.at(i), Qt::ElideRight, widths.at(i));
        // An item never vanishes from the line: at the least its mark stays.
        shown.append(cut.isEmpty() ? QStringLiteral("…") : cut);
    }
    return lead + shown.join(separator());
}

void ItemPartsLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    fit();
}

void ItemPartsLabel::fit()
{
    setText(fitted(fontMetrics(), contentsRect().width(), m_lead, m_parts));
}
