#pragma once

#include "platform/net/http_fetcher.h"

#include <QList>
#include <QString>

#include <optional>

// The pictures of one list (the main or the description pictures) on their
// way into the item's folder, in page order. They are started as connections
// allow and arrive in any order, but each is settled once and in page order:
// a picture still arriving holds back the ones behind it, because a picture's
// name can depend on the pictures kept before it.
class PictureQueue
{
public:
    struct Picture
    {
        QString address;
        QString file;                      // where its body goes
        std::optional<FetchResult> result; // once it arrived
    };

    // A new list; what was queued before is forgotten.
    void reset(const QList<Picture> &pictures);
    void clear() { reset({}); }

    // The first picture in page order that is neither started, arrived nor
    // waited for: the caller starts it, takes it or waits for it.
    std::optional<int> nextToStart() const;
    const Picture &at(int index) const { return m_pictures.at(index).picture; }
    void started(int index);
    // Being fetched ahead of the download: it is not started again while that
    // fetch runs.
    void waitForAhead(int index);
    // The fetch ahead of this address ended: the pictures that waited for it
    // are to be started again (taken from there, or fetched once more).
    void aheadEnded(const QString &address);
    // The first result counts; a later one for the same picture is ignored.
    void arrived(int index, const FetchResult &result);

    // The picture whose turn it is, when it has arrived; each is given once.
    std::optional<Picture> nextToSettle();
    bool allSettled() const { return m_settled == m_pictures.size(); }

private:
    enum class State { ToStart, Ahead, Started, Arrived };
    struct Entry
    {
        Picture picture;
        State state = State::ToStart;
    };

    QList<Entry> m_pictures;
    qsizetype m_settled = 0; // those before this one are settled
};
