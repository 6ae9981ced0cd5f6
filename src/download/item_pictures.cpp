#include "download/item_pictures.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

const QString MainName = QStringLiteral("主图");
const QString DescName = QStringLiteral("描述图");
constexpr qsizetype ExtensionLength = 4;

struct Found
{
    int number;
    QString path;
};

// Pictures in one of the item's subfolders, by number.
QList<Found> numberedFiles(const QString &folder, const QString &prefix)
{
    QList<Found> found;
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo &file : files) {
        if (const std::optional<int> number = pictureNumber(file.fileName(), prefix))
            found.append({*number, file.filePath()});
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const Found &a, const Found &b) { return a.number < b.number; });
    return found;
}

// The pictures of one kind with the gaps between them; numbers start at 1.
void addPictures(ItemPictures &item, ItemPicture::Kind kind, const QString &folder, const QString &prefix,
                 const PictureHeaders &headers)
{
    int next = 1;
    for (const Found &found : numberedFiles(folder, prefix)) {
        if (found.number > next)
            item.pictures.append({kind, ItemPicture::State::Missing, next, found.number - 1, {}, {}});
        ItemPicture picture{kind, ItemPicture::State::Shown, found.number, found.number, found.path, {}};
        if (const std::optional<QSize> size = headers.pictureSize(found.path))
            picture.size = *size;
        else
            picture.state = ItemPicture::State::Unreadable;
        item.pictures.append(picture);
        next = std::max(next, found.number + 1);
    }
}

} // namespace

QString ItemPicture::name() const
{
    const QString prefix = kind == Kind::Main ? MainName : DescName;
    if (lastNumber > number)
        return prefix + QString::number(number) + QStringLiteral("–") + QString::number(lastNumber);
    return prefix + QString::number(number);
}

QString ItemPicture::note() const
{
    switch (state) {
    case State::Shown:
        return QString::number(size.width()) + QStringLiteral("×") + QString::number(size.height());
    case State::Missing:
        return QStringLiteral("缺失");
    case State::Unreadable:
        break;
    }
    return QStringLiteral("无法读取");
}

int ItemPictures::count(ItemPicture::Kind kind) const
{
    return int(std::count_if(pictures.cbegin(), pictures.cend(), [kind](const ItemPicture &p) {
        return p.kind == kind && p.state != ItemPicture::State::Missing;
    }));
}

std::optional<int> pictureNumber(const QString &fileName, const QString &prefix)
{
    if (!fileName.startsWith(prefix))
        return std::nullopt;
    const QString rest = fileName.mid(prefix.size());
    qsizetype digits = 0;
    while (digits < rest.size() && rest.at(digits).isDigit() && rest.at(digits).unicode() < 128)
        ++digits;
    const qsizetype tail = rest.size() - digits;
    if (digits == 0 || tail > ExtensionLength)
        return std::nullopt;
    // The extension is four characters unless separators were dropped from it.
    qsizetype numberLength = digits + tail - ExtensionLength;
    if (numberLength < 1)
        numberLength = digits;
    if (rest.at(0) == QLatin1Char('0'))
        return std::nullopt;
    bool ok = false;
    const int number = rest.left(numberLength).toInt(&ok);
    return ok ? std::optional<int>(number) : std::nullopt;
}

ItemPictures readItemPictures(const DownloadedLine &line, const PictureHeaders &headers)
{
    ItemPictures item;
    item.line = line;
    if (line.folder.isEmpty()) {
        item.problems.append(QStringLiteral("已下载列表中没有记录该宝贝的目录"));
        return item;
    }
    const QDir folder(line.folder);
    if (!QFileInfo(line.folder).isDir()) {
        item.problems.append(QStringLiteral("宝贝目录不存在:") + QDir::toNativeSeparators(line.folder));
        return item;
    }
    const struct
    {
        ItemPicture::Kind kind;
        const QString &name;
    } kinds[] = {{ItemPicture::Kind::Main, MainName}, {ItemPicture::Kind::Desc, DescName}};
    for (const auto &kind : kinds) {
        const QString sub = folder.filePath(kind.name);
        if (!QFileInfo(sub).isDir())
            item.problems.append(kind.name + QStringLiteral("目录不存在"));
        else
            addPictures(item, kind.kind, sub, kind.name, headers);
    }
    return item;
}
