#include "download/picture_queue.h"

void PictureQueue::reset(const QList<Picture> &pictures)
{
    m_pictures.clear();
    for (const Picture &picture : pictures)
        m_pictures.append({picture, State::ToStart});
    m_settled = 0;
}

std::optional<int> PictureQueue::nextToStart() const
{
    for (qsizetype i = m_settled; i < m_pictures.size(); ++i) {
        if (m_pictures.at(i).state == State::ToStart)
            return int(i);
    }
    return std::nullopt;
}

void PictureQueue::started(int index)
{
    if (index >= 0 && index < m_pictures.size() && m_pictures.at(index).state == State::ToStart)
        m_pictures[index].state = State::Started;
}

void PictureQueue::waitForAhead(int index)
{
    if (index >= 0 && index < m_pictures.size() && m_pictures.at(index).state == State::ToStart)
        m_pictures[index].state = State::Ahead;
}

void PictureQueue::aheadEnded(const QString &address)
{
    for (Entry &entry : m_pictures) {
        if (entry.state == State::Ahead && entry.picture.address == address)
            entry.state = State::ToStart;
    }
}

void PictureQueue::arrived(int index, const FetchResult &result)
{
    if (index < 0 || index >= m_pictures.size() || m_pictures.at(index).state == State::Arrived)
        return;
    Entry &entry = m_pictures[index];
    entry.picture.result = result;
    entry.state = State::Arrived;
}

std::optional<PictureQueue::Picture> PictureQueue::nextToSettle()
{
    if (m_settled == m_pictures.size() || m_pictures.at(m_settled).state != State::Arrived)
        return std::nullopt;
    return m_pictures.at(m_settled++).picture;
}
