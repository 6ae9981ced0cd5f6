#pragma once

#include <QString>

// The text forms of list entries. Fields are joined by "|" with nothing
// around it and are neither quoted nor escaped.

// Put behind an item that was being collected when the program was closed.
inline const QString InterruptedMarker = QStringLiteral("[上次软件退出未采集完成]");

// A line of the address input box: address|itemNo.
struct UrlInputLine
{
    QString address;
    QString itemNo;

    QString toString() const;
};

// An entry of the pending list: itemNo|address, with the interrupted-item
// marker as a third field when there is one.
struct PendingLine
{
    QString itemNo;
    QString address;
    QString marker;
    bool hasAddress = true;

    // Fields 0 and 1; whatever follows is ignored, the marker included.
    // hasAddress is false for a line without "|".
    static PendingLine parse(const QString &line);
    QString toString() const;
};

// An entry of the downloaded list: itemNo|title|folder|address.
struct DownloadedLine
{
    QString itemNo;
    QString title;
    QString folder;
    QString address;

    // Missing fields are empty; fields after the fourth are ignored.
    static DownloadedLine parse(const QString &line);
    QString toString() const;
};
