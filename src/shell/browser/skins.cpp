#include "shell/browser/skins.h"

#include "shell/settings.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QWidget>

namespace {

constexpr qint64 MaxSkinBytes = 1024 * 1024;

QStringList g_probeWarnings;

void collectWarning(QtMsgType, const QMessageLogContext &, const QString &message)
{
    g_probeWarnings.append(message);
}

// Qt's style-sheet parser has no public entry point: a widget that is
// polished with the sheet reports a sheet it cannot parse as a warning.
bool qtParses(const QString &sheet)
{
    g_probeWarnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectWarning);
    {
        QWidget probe;
        probe.setStyleSheet(sheet);
        probe.ensurePolished();
    }
    qInstallMessageHandler(previous);
    return g_probeWarnings.isEmpty();
}

// The file's text when it reads as a style sheet.
std::optional<QString> readStyleSheet(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxSkinBytes)
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(file.readAll());
    if (decoder.hasError() || text.contains(QChar(0)) || !text.contains(QLatin1Char('{')) || !qtParses(text))
        return std::nullopt;
    return text;
}

bool isPlainFileName(const QString &name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && name != u"." && name != u"..";
}

} // namespace

Skins::Skins(const QString &programFolder, Settings &settings, QStringList shippedFolders)
    : m_folder(QDir(programFolder).filePath(QStringLiteral("皮肤")))
    , m_settings(settings)
    , m_shipped(std::move(shippedFolders))
{
}

QStringList Skins::shippedSkinFolders()
{
    const QDir executable(QCoreApplication::applicationDirPath());
    return {executable.filePath(QStringLiteral("皮肤")),
            executable.filePath(QStringLiteral("../share/zorvane-picker/皮肤"))};
}

bool Skins::ensureFolder() const
{
    if (QFileInfo(m_folder).isDir())
        return true;
    if (!QDir().mkpath(m_folder))
        return false;
    for (const QString &shipped : m_shipped) {
        const QDir source(shipped);
        if (!source.exists() || source == QDir(m_folder))
            continue;
        for (const QString &name : source.entryList(QDir::Files, QDir::Name))
            QFile::copy(source.filePath(name), QDir(m_folder).filePath(name));
        break;
    }
    return true;
}

QStringList Skins::entries() const
{
    return QDir(m_folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QString Skins::displayName(const QString &fileName)
{
    const QString ending = QStringLiteral(".qss");
    return fileName.endsWith(ending, Qt::CaseInsensitive) && fileName.size() > ending.size()
        ? fileName.chopped(ending.size())
        : fileName;
}

// The shipped skins' pictures (the ticks of check boxes), linked in from a static library.
static void loadSkinImages()
{
    Q_INIT_RESOURCE(skin_images);
}

bool Skins::ApplySkin(const QString &path)
{
    loadSkinImages();
    auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
    const std::optional<QString> sheet = readStyleSheet(path);
    if (!app || !sheet)
        return false;
    app->setStyleSheet(*sheet);
    return true;
}

void Skins::applyStored() const
{
    const QString name = m_settings.skin();
    if (isPlainFileName(name))
        ApplySkin(QDir(m_folder).filePath(name));
}

void Skins::pick(const QString &name, int row) const
{
    if (!isPlainFileName(name) || row < 0)
        return;
    ApplySkin(QDir(m_folder).filePath(name));
    m_settings.setSkin(name);
    m_settings.setSkinId(row);
}

void Skins::restoreDefaultLook() const
{
    if (auto *app = qobject_cast<QApplication *>(QCoreApplication::instance()))
        app->setStyleSheet(QString());
    m_settings.setSkin(QString());
    m_settings.setSkinId(std::nullopt);
}

int Skins::storedRow(int count) const
{
    const std::optional<int> row = m_settings.skinId();
    return row && *row >= 0 && *row < count ? *row : -1;
}
