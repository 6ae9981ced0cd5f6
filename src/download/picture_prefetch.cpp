#include "download/picture_prefetch.h"

#include <QFile>

void PicturePrefetch::want(const QStringList &addresses)
{
    for (const QString &address : addresses) {
        if (m_entries.contains(address))
            continue;
        m_entries.insert(address, Entry{});
        m_queue.append(address);
    }
}

std::optional<std::pair<QString, QString>> PicturePrefetch::next()
{
    if (m_queue.isEmpty())
        return std::nullopt;
    if (!m_folder) {
        m_folder = std::make_unique<QTemporaryDir>();
        if (!m_folder->isValid()) {
            m_queue.clear();
            return std::nullopt;
        }
    }
    const QString address = m_queue.takeFirst();
    Entry &entry = m_entries[address];
    entry.started = true;
    entry.file = m_folder->filePath(QString::number(++m_files));
    return std::pair{address, entry.file};
}

void PicturePrefetch::arrived(const QString &address, const FetchResult &result)
{
    const auto it = m_entries.find(address);
    if (it == m_entries.end())
        return;
    it->result = result;
}

bool PicturePrefetch::isOnItsWay(const QString &address) const
{
    const auto it = m_entries.constFind(address);
    return it != m_entries.cend() && it->started && !it->result;
}

std::optional<FetchResult> PicturePrefetch::take(const QString &address, const QString &file)
{
    const auto it = m_entries.find(address);
    if (it == m_entries.end() || !it->result || !it->result->ok || it->file.isEmpty())
        return std::nullopt;
    // A move within a file system, a copy across.
    if (!QFile::rename(it->file, file))
        return std::nullopt;
    const FetchResult result = *it->result;
    it->file.clear();
    return result;
}

void PicturePrefetch::clear()
{
    m_entries.clear();
    m_queue.clear();
    m_folder.reset();
    m_files = 0;
}
