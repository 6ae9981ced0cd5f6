#include "download/listing/listing_job.h"

#include "download/item_pictures.h"
#include "download/listing/listing_folder.h"
#include "download/listing/picture_maker.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

const QString MainName = QStringLiteral("主图");
const QString DescName = QStringLiteral("描述图");

// The pictures in one of the item's folders, by number (hidden files are
// downloads still arriving).
QStringList numbered(const QDir &folder, const QString &prefix)
{
    QList<std::pair<int, QString>> found;
    for (const QString &file : folder.entryList(QDir::Files, QDir::Name)) {
        if (const std::optional<int> number = pictureNumber(file, prefix))
            found.append({*number, folder.filePath(file)});
    }
    std::stable_sort(found.begin(), found.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    QStringList paths;
    for (const auto &picture : std::as_const(found))
        paths.append(picture.second);
    return paths;
}

QString outputName(const QString &prefix, int number)
{
    return prefix + QString::number(number) + QStringLiteral(".jpg");
}

QString overLimitNote(const QString &name, const ListingFile &file)
{
    return QStringLiteral("%1(质量%2时仍有%3KB)").arg(name).arg(file.quality).arg((file.jpeg.size() + 1023) / 1024);
}

class Job
{
public:
    Job(const DownloadedLine &line, const ListingOptions &options, PictureMaker &maker, const std::atomic_bool &stop)
        : m_options(options), m_maker(maker), m_stop(stop), m_folder(line.folder)
    {
        m_outcome.line = line;
    }

    ListingOutcome run()
    {
        const QString folder = m_outcome.line.folder;
        if (folder.isEmpty())
            return failed(QStringLiteral("已下载列表中没有记录该宝贝的目录"));
        if (!QFileInfo(folder).isDir())
            return failed(QStringLiteral("宝贝目录不存在:") + QDir::toNativeSeparators(folder));
        const QDir item(folder);
        const QStringList mains = numbered(QDir(item.filePath(MainName)), MainName);
        const QStringList descs = numbered(QDir(item.filePath(DescName)), DescName);
        if (mains.isEmpty() && descs.isEmpty())
            return failed(QStringLiteral("宝贝目录中没有主图和描述图"));
        if (m_stop)
            return stopped();
        QString error;
        if (!m_folder.open(&error))
            return failed(error);
        for (const QString &path : mains) {
            if (m_stop)
                return stopped();
            if (!addMain(path))
                return m_outcome;
        }
        for (const QString &path : descs) {
            if (m_stop)
                return stopped();
            if (!addDescription(path))
                return m_outcome;
        }
        if (m_outcome.mainFiles + m_outcome.descFiles == 0)
            return failed(QStringLiteral("没有一张图片可以读取"));
        if (m_stop)
            return stopped();
        if (!m_folder.commit(&error))
            return failed(error);
        m_outcome.state = ListingOutcome::State::Made;
        return m_outcome;
    }

private:
    bool addMain(const QString &path)
    {
        QString error;
        const std::optional<ListingFile> file = m_maker.mainPicture(path, m_options, &error);
        if (!file) {
            skip(path, error);
            return true;
        }
        return write(outputName(MainName, m_outcome.mainFiles + 1), *file, m_outcome.mainFiles);
    }

    bool addDescription(const QString &path)
    {
        QStringList written;
        bool writeFailed = false;
        QString error;
        const bool whole = m_maker.descriptionSlices(path, m_options, [&](const ListingFile &slice) {
            if (m_stop)
                return false;
            const QString name = outputName(DescName, m_outcome.descFiles + 1);
            writeFailed = !write(name, slice, m_outcome.descFiles);
            written.append(name);
            return !writeFailed;
        }, &error);
        if (whole)
            return true;
        if (writeFailed)
            return false;
        if (m_stop) {
            stopped();
            return false;
        }
        // A picture that breaks off halfway is left out whole.
        for (const QString &name : std::as_const(written)) {
            m_folder.remove(name);
            m_outcome.overLimit.removeIf([&name](const QString &note) { return note.startsWith(name); });
        }
        m_outcome.descFiles -= int(written.size());
        skip(path, error);
        return true;
    }

    bool write(const QString &name, const ListingFile &file, int &count)
    {
        QString error;
        if (!m_folder.write(name, file.jpeg, &error)) {
            failed(error);
            return false;
        }
        ++count;
        if (file.overLimit)
            m_outcome.overLimit.append(overLimitNote(name, file));
        return true;
    }

    void skip(const QString &path, const QString &reason)
    {
        m_outcome.skipped.append(QFileInfo(path).fileName() + QStringLiteral("(") + reason + QStringLiteral(")"));
    }

    ListingOutcome failed(const QString &error)
    {
        m_outcome.state = ListingOutcome::State::Failed;
        m_outcome.error = error;
        return m_outcome;
    }

    ListingOutcome stopped()
    {
        m_outcome.state = ListingOutcome::State::Stopped;
        return m_outcome;
    }

    const ListingOptions &m_options;
    PictureMaker &m_maker;
    const std::atomic_bool &m_stop;
    ListingFolder m_folder;
    ListingOutcome m_outcome;
};

} // namespace

ListingOutcome makeListing(const DownloadedLine &line, const ListingOptions &options, PictureMaker &maker,
                           const std::atomic_bool &stop)
{
    return Job(line, options, maker, stop).run();
}
