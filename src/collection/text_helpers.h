#pragma once

#include <QList>
#include <QString>

// Removes the characters and words that may not stand in a folder name or a
// caption, in a fixed order (a removal can join text into a later pattern).
QString CleanName(const QString &text);

// Text a page supplies (title, item number, attributes), made fit for a list
// line, a file name, the info file and the log: every run of control
// characters becomes one blank, and "|", which separates the fields of list
// lines, becomes the full-width "｜".
QString PlainPageText(const QString &text);

// Text a page supplies with every control character made a blank.
QString BlankControls(const QString &text);

// A page title made into a folder title: CleanName's removals, in which a
// control character counts as a blank and goes with the blanks, then the
// plain-text rule for what is left. A title without control characters
// gives exactly what CleanName gives.
QString CleanPageTitle(const QString &title);

// An address a page reports, made fit for a list line: "|" and control
// characters percent-encoded, which leaves the address the same to a browser.
QString PlainPageAddress(const QString &address);

// Empties a list from its end.
template <typename List>
void ClearCollection(List &list)
{
    while (!list.isEmpty())
        list.removeLast();
}

// 1-based position of the last occurrence of browserIndex in tabList; 0 when absent.
int FindTabPos(const QList<qint16> &tabList, qint16 browserIndex);
