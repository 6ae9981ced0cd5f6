#include "shell/window/batch/item_parts_label.h"

#include <QFontMetrics>
#include <QSet>

#include <algorithm>

namespace {

QString joined(const ItemPartsLabel::Part &part)
{
    return part.step.isEmpty() ? part.item : part.item + ItemPartsLabel::gap() + part.step;
}

QString joined(const QString &lead, const QStringList &parts)
{
    return lead + parts.join(ItemPartsLabel::separator());
}

// How many characters from their ends tell the (different) item numbers apart.
qsizetype tellingEnd(const QList<ItemPartsLabel::Part> &parts)
{
    QSet<QString> items;
    qsizetype longest = 0;
    for (const ItemPartsLabel::Part &part : parts) {
        items.insert(part.item);
        longest = std::max(longest, part.item.size());
    }
    for (qsizetype k = ItemPartsLabel::KeptEnd; k < longest; ++k) {
        QSet<QString> ends;
        for (const QString &item : std::as_const(items))
            ends.insert(item.right(k));
        if (ends.size() == items.size())
            return k;
    }
    return longest;
}

// The part in `width` pixels: the item number cut from the front no shorter
// than "…" and its last `keep` characters, the step cut from its end.
QString shortened(const QFontMetrics &metrics, int width, const ItemPartsLabel::Part &part, qsizetype keep)
{
    const int itemWidth = metrics.horizontalAdvance(part.item);
    const int gapWidth = part.step.isEmpty() ? 0 : metrics.horizontalAdvance(ItemPartsLabel::gap());
    const QString end = part.item.size() > keep ? QStringLiteral("…") + part.item.right(keep) : part.item;
    const int least = std::min(itemWidth, metrics.horizontalAdvance(end));
    const int itemRoom = std::clamp(width - gapWidth - metrics.horizontalAdvance(part.step), least, itemWidth);
    // A pixel more: the pieces' rounded widths may not add up.
    const QString item = itemRoom >= itemWidth ? part.item : metrics.elidedText(part.item, Qt::ElideLeft, itemRoom + 1);
    if (part.step.isEmpty())
        return item;
    const QString step =
        metrics.elidedText(part.step, Qt::ElideRight, width - metrics.horizontalAdvance(item) - gapWidth);
    return step.isEmpty() ? item : item + ItemPartsLabel::gap() + step;
}

} // namespace

ItemPartsLabel::ItemPartsLabel(QWidget *parent)
    : QLabel(parent)
{
    // As wide as the strip leaves it, whatever its text.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setTextFormat(Qt::PlainText);
}

void ItemPartsLabel::setParts(const QString &lead, const QList<Part> &parts)
{
    m_lead = lead;
    m_parts = parts;
    QStringList whole;
    for (const Part &part : parts)
        whole << joined(part);
    setToolTip(parts.size() > 1 ? joined(lead, whole) : QString());
    fit();
}

QString ItemPartsLabel::fitted(const QFontMetrics &metrics, int width, const QString &lead, const QList<Part> &parts)
{
    QStringList whole;
    QList<int> widths;
    for (const Part &part : parts) {
        whole << joined(part);
        widths << metrics.horizontalAdvance(whole.last());
    }
    if (metrics.horizontalAdvance(joined(lead, whole)) <= width || parts.isEmpty())
        return joined(lead, whole);
    const qsizetype count = parts.size();
    // A pixel for each join, where the pieces' rounded widths may not add up.
    const qint64 room =
        width - metrics.horizontalAdvance(lead) - (count - 1) * (metrics.horizontalAdvance(separator()) + 1);
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
    const qsizetype keep = tellingEnd(parts);
    QStringList shown;
    for (qsizetype i = 0; i < count; ++i)
        shown << (keeps.at(i) ? whole.at(i) : shortened(metrics, widths.at(i), parts.at(i), keep));
    // Where even the items' ends leave no room, the line is cut at its end (the tooltip has it whole).
    return metrics.elidedText(joined(lead, shown), Qt::ElideRight, width);
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
