#pragma once

#include "shell/window/main/main_form.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QStyleOptionButton>

#include <cmath>

// What is wrong with the window's layout: controls outside the window or over
// the batch panel's frame, texts cut, controls over each other.
inline QStringList layoutFaults(const MainForm &form)
{
    const QWidget *client = form.centralWidget(), *panel = form.findChild<QWidget *>(QStringLiteral("batModeFrame"));
    const QList<QWidget *> inPanel = panel->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    QList<QWidget *> all = inPanel;
    for (const char *band : {"ToolbarBand", "picAddress", "ProgressStrip"})
        all += form.findChild<QWidget *>(QLatin1String(band))->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    // Taking turns.
    const QString meant = QStringLiteral("ProNumLbl+ProDenLbl");
    QStringList found;
    for (const QWidget *w : all) {
        const QString name = w->objectName();
        const bool panelled = inPanel.contains(w);
        if (w->isVisible() && (!client->rect().contains(QRect(w->mapTo(client, QPoint()), w->size()))
                               || (panelled && !panel->contentsRect().contains(w->geometry()))))
            found << name + QStringLiteral(" outside");
        QStyleOptionButton option;
        option.initFrom(w);
        const auto *button = qobject_cast<const QPushButton *>(w);
        const auto *box = qobject_cast<const QCheckBox *>(w);
        const auto *label = qobject_cast<const QLabel *>(w);
        const QString text = button ? button->text().remove(u'&') : box ? box->text() : label ? label->text() : QString();
        const QRect room = button ? w->style()->subElementRect(QStyle::SE_PushButtonContents, &option, w)
            : box                 ? w->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, w)
                                  : w->contentsRect();
        const QSize needed = w->fontMetrics().boundingRect(QRect(), Qt::AlignLeft, text).size();
        if (w->isVisible() && !text.isEmpty() && (needed.width() > room.width() || needed.height() > room.height()))
            found << name + QStringLiteral(" cut");
        for (const QWidget *other : inPanel.mid(inPanel.indexOf(w) + 1)) {
            if (panelled && w->isVisible() && other->isVisible() && w->geometry().intersects(other->geometry())
                && !meant.contains(name + u'+' + other->objectName()) && !meant.contains(other->objectName() + u'+' + name))
                found << name + QStringLiteral(" over ") + other->objectName();
        }
    }
    // The address row whole: nothing drawn above it (the panel, the tab strip, the pages) covers its controls.
    const QWidget *row = form.findChild<QWidget *>(QStringLiteral("picAddress"));
    const QObjectList stack = client->children();
    for (const QWidget *w : row->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        const QRect place(w->mapTo(client, QPoint()), w->size());
        for (qsizetype i = stack.indexOf(row) + 1; i < stack.size() && w->isVisible(); ++i) {
            const auto *above = qobject_cast<const QWidget *>(stack.at(i));
            if (above && above->isVisible() && above->geometry().intersects(place))
                found << w->objectName() + QStringLiteral(" under ") + above->objectName();
        }
    }
    return found;
}

// The contrast, as WCAG counts it (1 to 21), between the picture's darkest
// and lightest colours: its background and what is drawn on it.
inline double strongestContrast(const QImage &picture)
{
    double darkest = 2, lightest = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            const auto linear = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
            const double l = 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
            darkest = std::min(darkest, l);
            lightest = std::max(lightest, l);
        }
    }
    return (lightest + 0.05) / (darkest + 0.05);
}
