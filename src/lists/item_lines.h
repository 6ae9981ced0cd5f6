#pragma once

#include <QString>

// The text forms of list entries. Fields are joined by "|" with nothing
// around it and are neither quoted nor escaped.

// Put behind an item that was being collected when the program was closed.
inline const QString InterruptedMarker = QStringLiteral("[上次软件退出未采集完成]");
// Put behind an item the user sent back from the downloaded list (<<重下): it
// is collected again even when its page is downloaded. A field of its own,
// which readers that take fields 0 and 1 pass over.
inline const QString SentBackMarker = QStringLiteral("[重下]");

// A line of the address input box: address|itemNo.
struct UrlInputLine
{
    QString address;
    QString itemNo;

    QString toString() const;
};

// An entry of the pending list: itemNo|address, with the interrupted-item
// marker and the sent-back marker as further fields when there are any.
struct PendingLine
{
    QString itemNo;
    QString address;
    QString marker;
    bool hasAddress = true;
    bool sentBack = false;
    // Read only: a later field is the interrupted-item marker (toString writes `marker`).
    bool interrupted = false;

    // Fields 0 and 1, and whether a later field is the sent-back or the
    // interrupted-item marker; whatever else follows is ignored.
    // hasAddress is false for a line without "|".
    static PendingLine parse(const QString &line);
    QString toString() const;
    // The item as the user queued it: number and address, without markers.
    QString withoutMarkers() const { return PendingLine{itemNo, address, QString(), hasAddress, false}.toString(); }
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
