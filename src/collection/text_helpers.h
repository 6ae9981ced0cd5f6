#pragma once

#include <QList>
#include <QString>

// Removes the characters and words that may not stand in a folder name or a
// caption, in a fixed order (a removal can join text into a later pattern).
QString CleanName(const QString &text);

// Empties a list from its end.
template <typename List>
void ClearCollection(List &list)
{
    while (!list.isEmpty())
        list.removeLast();
}

// 1-based position of the last occurrence of browserIndex in tabList; 0 when absent.
int FindTabPos(const QList<qint16> &tabList, qint16 browserIndex);
