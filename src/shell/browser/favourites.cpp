#include "shell/browser/favourites.h"

#include "collection/status_log.h"
#include "collection/text_helpers.h"
#include "platform/desktop/prompts.h"
#include "platform/files/text_file.h"
#include "shell/browser/address_rules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

constexpr qsizetype MaxNameBytes = 255;    // a file name's limit on Linux file systems
constexpr qint64 MaxLinkFileBytes = 65536; // far more than two lines

bool fitsFileSystem(const QString &name)
{
    return QFile::encodeName(name).size() <= MaxNameBytes;
}

void chopCharacter(QString &text)
{
    text.chop(text.size() >= 2 && text.at(text.size() - 1).isLowSurrogate() ? 2 : 1);
}

bool isLinkFile(const QString &path)
{
    return path.endsWith(QStringLiteral(".link"), Qt::CaseInsensitive);
}

bool isHomeFile(const QString &path)
{
    return QFileInfo(path).fileName().compare(Favourites::homeFileName(), Qt::CaseInsensitive) == 0;
}

} // namespace

Favourites::Favourites(const QString &programFolder)
    : m_folder(QDir(programFolder).filePath(QStringLiteral("likepage")))
{
}

QString Favourites::homePath() const
{
    return QDir(m_folder).filePath(QStringLiteral("主页") + QStringLiteral(".link"));
}

bool Favourites::ensureFolder() const
{
    return QDir().mkpath(m_folder);
}

QStringList Favourites::entries() const
{
    // A favourite whose cleaned name came out empty is ".link": listed too.
    return QDir(m_folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QByteArray Favourites::fileBytes(const QString &address)
{
    return encodeLocalText(marker() + QStringLiteral("\r\n") + address + QStringLiteral("\r\n"));
}

std::optional<QString> Favourites::findIgnoringCase(const QString &path)
{
    const QFileInfo info(path);
    if (info.isFile())
        return path;
    const QDir folder = info.dir();
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString &name : names) {
        if (name.compare(info.fileName(), Qt::CaseInsensitive) == 0)
            return folder.filePath(name);
    }
    return std::nullopt;
}

QStringList Favourites::entriesNamed(const QString &name) const
{
    // Links that lead nowhere are entries too: a write to their name would create their target.
    QStringList named = QDir(m_folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    named.removeIf([&name](const QString &entry) { return entry.compare(name, Qt::CaseInsensitive) != 0; });
    return named;
}

std::optional<Favourites::OpenRequest> Favourites::openfile(const QString &path, const QString &addressBarText,
                                                            bool stayInTab, Prompts &prompts, StatusLog &log) const
{
    const std::optional<QString> file = findIgnoringCase(path);
    if (!file)
        return std::nullopt;
    QString target = QFileInfo(*file).absoluteFilePath();
    if (isLinkFile(*file)) {
        QFile link(*file);
        if (!link.open(QIODevice::ReadOnly))
            return std::nullopt;
        const QStringList lines = splitLines(decodeLocalText(link.read(MaxLinkFileBytes)));
        if (lines.size() < 2 || lines.at(0) != marker() || lines.at(1).trimmed().isEmpty()) {
            prompts.showMessage(Prompts::Icon::None, messageTitle(), QStringLiteral("文件格式错误。"));
            return std::nullopt;
        }
        target = lines.at(1);
    }
    // A favourite is a file anyone can write: it gets no more than typed text.
    const std::optional<QUrl> url = AddressBarRules::typedAddress(target);
    if (!url) {
        log.AddMesg(AddressBarRules::refusal(target));
        return std::nullopt;
    }
    return OpenRequest{*url, !AddressBarRules::isBlank(addressBarText) && !stayInTab};
}

std::optional<QString> Favourites::freeName(QString name, const QString &extension) const
{
    const QDir folder(m_folder);
    for (QString prefix; prefix.size() < MaxNameBytes; prefix += QLatin1Char('#')) {
        while (!name.isEmpty() && !fitsFileSystem(prefix + name + extension))
            chopCharacter(name);
        const QString candidate = prefix + name + extension;
        if (!fitsFileSystem(candidate))
            return std::nullopt;
        // "." and ".." exist as folders: they get "#" like any taken name.
        if (!QFileInfo::exists(folder.filePath(candidate)) && entriesNamed(candidate).isEmpty())
            return candidate;
    }
    return std::nullopt;
}

QString Favourites::displayName(const QString &fileName)
{
    const QString name = isLinkFile(fileName) ? fileName.chopped(5) : fileName;
    // A favourite whose name cleaning emptied is called by its file's name.
    return name.isEmpty() ? fileName : name;
}

std::optional<QString> Favourites::holding(const QString &address) const
{
    const QDir folder(m_folder);
    for (const QString &name : entries()) {
        QFile link(folder.filePath(name));
        if (!isLinkFile(name) || !link.open(QIODevice::ReadOnly))
            continue;
        const QStringList lines = splitLines(decodeLocalText(link.read(MaxLinkFileBytes)));
        if (lines.size() >= 2 && lines.at(0) == marker() && lines.at(1).trimmed() == address.trimmed())
            return link.fileName();
    }
    return std::nullopt;
}

std::optional<QString> Favourites::store(const QString &caption, const QString &address, Prompts &prompts) const
{
    const auto fail = [&prompts](const QString &reason) -> std::optional<QString> {
        prompts.showMessage(Prompts::Icon::Critical, messageTitle(), QStringLiteral("收藏失败,原因:") + reason);
        return std::nullopt;
    };
    if (!AddressBarRules::typedAddress(address))
        return fail(QStringLiteral("只能收藏http或https网址:") + address);
    if (const std::optional<QString> stored = holding(address)) {
        prompts.showMessage(Prompts::Icon::None, messageTitle(),
                            QStringLiteral("该网页已在收藏夹中:") + displayName(QFileInfo(*stored).fileName()));
        return stored;
    }
    if (!ensureFolder())
        return fail(QStringLiteral("无法创建收藏夹目录") + m_folder);
    const std::optional<QString> name = freeName(CleanName(caption), QStringLiteral(".link"));
    if (!name)
        return fail(QStringLiteral("没有可用的文件名"));
    const QString path = QDir(m_folder).filePath(*name);
    QString error;
    if (!writeFileAtomically(path, fileBytes(address), &error))
        return fail(error);
    prompts.showMessage(Prompts::Icon::None, messageTitle(), QStringLiteral("已经收藏！"));
    return path;
}

std::optional<QString> Favourites::rename(const QString &path, const QString &answer) const
{
    const QString cleaned = CleanName(answer);
    if (cleaned.isEmpty() || !QFileInfo(path).isFile())
        return std::nullopt;
    const QString extension = isLinkFile(path) && !isLinkFile(cleaned) ? QStringLiteral(".link") : QString();
    const std::optional<QString> name = freeName(cleaned, extension);
    if (!name)
        return std::nullopt;
    const QString target = QDir(m_folder).filePath(*name);
    if (!QFile::rename(path, target))
        return std::nullopt;
    return target;
}

bool Favourites::setHome(const QString &path) const
{
    // The chosen entry may be the home page already: copying it onto itself
    // would first delete it.
    if (isHomeFile(path) && QFileInfo(path).dir() == QDir(m_folder))
        return QFileInfo(path).isFile();
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    // Writing a file follows a link in its place: the link goes, never the file it points to.
    for (const QString &name : entriesNamed(homeFileName())) {
        const QString entry = QDir(m_folder).filePath(name);
        if (QFileInfo(entry).isSymLink() && !QFile::remove(entry))
            return false;
    }
    const QString target = QDir(m_folder).filePath(homeFileName());
    if (!writeFileAtomically(target, source.readAll()))
        return false;
    // Another spelling of the name would hide the new home page from the toolbar.
    for (const QString &name : entriesNamed(homeFileName())) {
        if (name != homeFileName())
            QFile::remove(QDir(m_folder).filePath(name));
    }
    return true;
}
