#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// One watched shop as the watch file keeps it.
struct WatchedShop
{
    QString address; // as added, without trailing "/"
    QString name;
    QDateTime added;
    QDateTime lastCheck;   // invalid until a check read the shop
    bool withExisting = false; // its first check collects what it holds, not only records it
    // The item addresses the last check that read the shop saw, in list order.
    QStringList items;
    // What that check found, for the window's table.
    int lastNew = 0;
    int lastGone = 0;
    // Why the last check could not read the shop; empty when it could.
    QString lastFailure;
    // New items a check queued and has not yet recorded: after a kill, the
    // next check knows the ones already collected as new, not back on sale.
    QStringList queued;

    bool recorded() const { return lastCheck.isValid(); }
};

// The watched shops (watchshops.txt in the program folder, GB18030 with CR LF
// like listdata.txt). Every change reads the file again, changes it and writes
// it whole through a temporary file: the window and the runner may both edit
// it, and neither must drop what the other wrote.
class WatchList
{
public:
    static QString fileName() { return QStringLiteral("watchshops.txt"); }
    explicit WatchList(const QString &programFolder);

    QString path() const { return m_path; }

    // What the file holds; empty when it is missing. Lines it does not know are skipped.
    QList<WatchedShop> shops() const;

    // Which shop an address belongs to: its host (any case, the port unless
    // the scheme's own); scheme, path and a trailing "/" do not count.
    static QString shopKey(const QString &address);
    // The shop's own address for a page of it ("http://x.zorvane.com/page/.."
    // gives "http://x.zorvane.com"); nothing for an address that names no host.
    static std::optional<QString> shopAddress(const QString &pageAddress);

    enum class Change { Done, AlreadyThere, NotThere, BadAddress, NotWritten };
    // Each says in *message what it did, in the program's words.
    Change add(const QString &address, bool withExisting, const QDateTime &now, QString *message);
    Change remove(const QString &address, QString *message);
    // Replaces the shops whose key matches one in `checked` (others, added or
    // removed meanwhile, stay as the file has them now).
    bool update(const QList<WatchedShop> &checked, QString *error);
    // Sets the queued items of the shops in `shops` (keyed by shop), nothing else.
    bool noteQueued(const QList<WatchedShop> &shops, QString *error);

    static QString format(const QList<WatchedShop> &shops);
    static QList<WatchedShop> parse(const QString &text);

private:
    bool write(const QList<WatchedShop> &shops, QString *error);

    QString m_path;
};
