#pragma once

#include "collection/marketplace.h"
#include "collection/status_log.h"
#include "lists/item_lines.h"
#include "lists/list_file.h"

#include <QFile>
#include <QHash>
#include <QObject>
#include <QStringDecoder>
#include <QStringList>

#include <utility>

// Reads listdata.txt back every time it is written and checks that every item
// ever queued stands in exactly one of the three lists (the address box, the
// pending list with the items under way, the downloaded list), unless it was
// skipped because its page is downloaded (as the log says). Items are told apart by page key
// and item number; a downloaded entry carries the number the item was queued
// under, or that number with "->" and the page's.
class ListAudit
{
public:
    ListAudit(ListFile &file, StatusLog &log)
        : m_path(file.path())
    {
        m_connections << QObject::connect(&file, &ListFile::written, [this] { check(); });
        m_connections << QObject::connect(&log, &StatusLog::lineAdded, [this](const QString &line) {
            static const QString skipped = QStringLiteral("采集中:已下载过,跳过_");
            const QString message = line.section(QLatin1Char(' '), 2);
            const qsizetype at = message.indexOf(skipped);
            if (at > 0)
                gone(message.left(at), message.mid(at + skipped.size()));
        });
    }
    ~ListAudit()
    {
        for (const QMetaObject::Connection &connection : std::as_const(m_connections))
            QObject::disconnect(connection);
    }
    ListAudit(const ListAudit &) = delete;
    ListAudit &operator=(const ListAudit &) = delete;

    // An item queued (once more): itemNo and address as in its pending line.
    void queued(const QString &itemNo, const QString &address) { ++m_expected[key(itemNo, address)]; }
    // Left the lists on purpose: skipped as downloaded, removed by the user.
    void gone(const QString &itemNo, const QString &address) { --m_expected[key(itemNo, address)]; }
    // Entries of the downloaded list before the run, which no item of the run is.
    void downloadedBefore(const QStringList &lines) { m_before = lines; }

    int saves() const { return m_saves; }
    // What was wrong at each save: "save N: A-1 in 2 lists", ...
    const QStringList &faults() const { return m_faults; }

    // The lists as the file holds them now, checked.
    void check()
    {
        ++m_saves;
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly)) {
            m_faults << QStringLiteral("save %1: file unreadable").arg(m_saves);
            return;
        }
        QStringDecoder decoder("GB18030");
        const QString text = decoder.decode(file.readAll());
        const QStringList lines = text.split(QStringLiteral("\r\n"));
        QHash<std::pair<QString, QString>, int> seen;
        QStringList before = m_before;
        int section = -1;
        for (const QString &line : lines) {
            if (line == u"<AddUrlText>" || line == u"<readyDownList>" || line == u"<AlreadyDownedList>") {
                ++section;
                continue;
            }
            if (line.isEmpty())
                continue;
            if (section == 0) {
                const qsizetype bar = line.lastIndexOf(QLatin1Char('|'));
                ++seen[key(line.mid(bar + 1), line.left(bar))];
            } else if (section == 1) {
                const PendingLine pending = PendingLine::parse(line);
                ++seen[key(queuedNumber(pending.itemNo, pending.address), pending.address)];
            } else if (section == 2 && !before.removeOne(line)) {
                const DownloadedLine done = DownloadedLine::parse(line);
                ++seen[key(queuedNumber(done.itemNo, done.address), done.address)];
            }
        }
        for (auto it = m_expected.cbegin(); it != m_expected.cend(); ++it) {
            const int count = seen.value(it.key());
            if (count != it.value())
                m_faults << QStringLiteral("save %1: %2 %3 listed %4 times, expected %5")
                                .arg(m_saves)
                                .arg(it.key().second, it.key().first)
                                .arg(count)
                                .arg(it.value());
        }
        for (auto it = seen.cbegin(); it != seen.cend(); ++it) {
            if (!m_expected.contains(it.key()))
                m_faults << QStringLiteral("save %1: %2 %3 was never queued").arg(m_saves).arg(it.key().second, it.key().first);
        }
    }

private:
    static std::pair<QString, QString> key(const QString &itemNo, const QString &address)
    {
        return {Marketplace::pageKey(address), itemNo};
    }
    // The number an item was queued under, of the number it was saved with
    // (and sent back with, by <<重下).
    QString queuedNumber(const QString &saved, const QString &address) const
    {
        if (m_expected.contains(key(saved, address)))
            return saved;
        for (auto it = m_expected.cbegin(); it != m_expected.cend(); ++it) {
            const QString &itemNo = it.key().second;
            if (it.key().first == Marketplace::pageKey(address)
                && (saved == itemNo || saved.startsWith(itemNo + QStringLiteral("->"))))
                return itemNo;
        }
        return saved;
    }

    QString m_path;
    QList<QMetaObject::Connection> m_connections;
    QHash<std::pair<QString, QString>, int> m_expected;
    QStringList m_before;
    QStringList m_faults;
    int m_saves = 0;
};
