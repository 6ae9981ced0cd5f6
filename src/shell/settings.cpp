#include "shell/settings.h"

#include "platform/files/text_file.h"

#include <QFile>
#include <QList>

#include <algorithm>
#include <optional>
#include <utility>

namespace {

constexpr qsizetype MaxValueLength = 254;

// Every setting's key in config.ini and what it reads as when the key is
// missing or empty. Key names are compared without regard to case.
enum class Key {
    SaveFolder,
    AutoMode,
    Pace,
    Skin,
    SkinId,
    SkipDownloaded,
    Collectors,
    ExportFolder,
    ListingMainSide,
    ListingDescWidth,
    ListingSliceHeight,
    ListingSizeKB,
    ListingEnlarge,
    ListingAfterCollect
};
struct KeyEntry
{
    Key key;
    const char *name;
    const char16_t *whenMissing;
};
constexpr KeyEntry Keys[] = {
    {Key::SaveFolder, "PicOutPutPath", u""},
    {Key::AutoMode, "isAuto", u"True"},
    {Key::Pace, "PickPace", u"标准"},
    {Key::Skin, "skin", u""},
    {Key::SkinId, "skinid", u""},
    {Key::SkipDownloaded, "SkipDownloaded", u"False"},
    {Key::Collectors, "Collectors", u"1"},
    {Key::ExportFolder, "ExportPath", u""},
    {Key::ListingMainSide, "ListingMainSide", u"800"},
    {Key::ListingDescWidth, "ListingDescWidth", u"750"},
    {Key::ListingSliceHeight, "ListingSliceHeight", u"1500"},
    {Key::ListingSizeKB, "ListingSizeKB", u"2048"},
    {Key::ListingEnlarge, "ListingEnlarge", u"False"},
    {Key::ListingAfterCollect, "ListingAfterCollect", u"False"},
};

const KeyEntry &entry(Key key)
{
    for (const KeyEntry &e : Keys) {
        if (e.key == key)
            return e;
    }
    Q_UNREACHABLE();
}

QString keyName(Key key)
{
    return QLatin1String(entry(key).name);
}

const QString FastPace = QStringLiteral("快速");
const QString StandardPace = QStringLiteral("标准");

QString configSection()
{
    return QStringLiteral("config");
}

// One line of the file as raw bytes. Lines are found in the bytes rather than
// in decoded text so that a rewrite can leave every other line byte for byte
// as it was; CR and LF never occur inside a GB18030 character.
struct IniLine
{
    qsizetype start = 0;      // first byte of the line
    qsizetype contentEnd = 0; // end of the line's text, before CR LF
    qsizetype end = 0;        // first byte of the next line
    QString text;             // decoded and trimmed

    bool hasLineEnd() const { return end > contentEnd; }
};

QList<IniLine> splitIniLines(const QByteArray &bytes)
{
    QList<IniLine> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype lf = bytes.indexOf('\n', start);
        IniLine line;
        line.start = start;
        line.end = lf < 0 ? bytes.size() : lf + 1;
        line.contentEnd = lf < 0 ? bytes.size() : lf;
        if (line.contentEnd > start && bytes.at(line.contentEnd - 1) == '\r')
            --line.contentEnd;
        line.text = decodeLocalText(bytes.mid(start, line.contentEnd - start)).trimmed();
        lines.append(line);
        start = line.end;
    }
    return lines;
}

// The section name of a header line "[name]", or nothing for other lines.
std::optional<QString> sectionName(const QString &line)
{
    if (!line.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype close = line.indexOf(QLatin1Char(']'));
    const qsizetype length = close < 0 ? -1 : close - 1;
    return line.mid(1, length).trimmed();
}

// Key and value of a "key=value" line; comments and other lines give nothing.
std::optional<std::pair<QString, QString>> keyValue(const QString &line)
{
    if (line.startsWith(QLatin1Char(';')))
        return std::nullopt;
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals < 0)
        return std::nullopt;
    return std::pair{line.left(equals).trimmed(), line.mid(equals + 1).trimmed()};
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Where the key stands in the first "config" section.
struct KeyPlace
{
    qsizetype section = -1;   // index of the section's header line
    qsizetype key = -1;       // index of the key's line
    qsizetype lastEntry = -1; // last non-empty line of the section
    QString value;
};

KeyPlace findKey(const QList<IniLine> &lines, const QString &key)
{
    KeyPlace place;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &text = lines.at(i).text;
        if (const auto name = sectionName(text)) {
            if (place.section >= 0)
                break;
            if (sameName(*name, configSection()))
                place.section = place.lastEntry = i;
            continue;
        }
        if (place.section < 0)
            continue;
        if (!text.isEmpty())
            place.lastEntry = i;
        const auto entry = keyValue(text);
        if (entry && sameName(entry->first, key)) {
            place.key = i;
            place.value = entry->second;
            break;
        }
    }
    return place;
}

QByteArray crlf()
{
    return QByteArray("\r\n");
}

} // namespace

Settings::Settings(const QString &programFolder)
    : m_filePath(programFolder + QStringLiteral("/config.ini"))
{
}

QString Settings::filePath() const
{
    return m_filePath;
}

QString Settings::LoadConfigValue(const QString &key) const
{
    QFile file(m_filePath);
    if (key.trimmed().isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    const KeyPlace place = findKey(splitIniLines(file.readAll()), key.trimmed());
    if (place.key < 0)
        return {};
    // The value comes through a buffer of 255 characters and is trimmed again.
    qsizetype length = MaxValueLength;
    if (place.value.size() > length && place.value.at(length - 1).isHighSurrogate())
        --length;
    return place.value.left(length).trimmed();
}

bool Settings::SaveConfigValue(const QString &key, const QString &value, QString *errorText)
{
    auto fail = [errorText](const QString &reason) {
        if (errorText)
            *errorText = reason;
        return false;
    };
    const QString name = key.trimmed();
    if (name.isEmpty())
        return fail(QStringLiteral("键名为空"));
    if (name.contains(QLatin1Char('=')) || name.contains(QLatin1Char('\r')) || name.contains(QLatin1Char('\n'))
        || value.contains(QLatin1Char('\r')) || value.contains(QLatin1Char('\n')))
        return fail(QStringLiteral("键名含有等号或换行符,或值含有换行符"));

    QByteArray bytes;
    QFile file(m_filePath);
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly))
            return fail(file.errorString());
        bytes = file.readAll();
        file.close();
    }

    const QList<IniLine> lines = splitIniLines(bytes);
    const KeyPlace place = findKey(lines, name);
    const QByteArray entry = encodeLocalText(name + QLatin1Char('=') + value);

    if (place.key >= 0) {
        // Keep the key as the file spells it, replace what follows "=".
        const IniLine &line = lines.at(place.key);
        const QByteArray old = bytes.mid(line.start, line.contentEnd - line.start);
        const QByteArray replaced = old.left(old.indexOf('=') + 1) + encodeLocalText(value);
        bytes.replace(line.start, line.contentEnd - line.start, replaced);
    } else if (place.section >= 0) {
        const IniLine &after = lines.at(place.lastEntry);
        if (after.hasLineEnd())
            bytes.insert(after.end, entry + crlf());
        else
            bytes.insert(after.end, crlf() + entry + crlf());
    } else {
        if (!bytes.isEmpty() && !bytes.endsWith('\n'))
            bytes.append(crlf());
        bytes.append(encodeLocalText(QLatin1Char('[') + configSection() + QLatin1Char(']')) + crlf());
        bytes.append(entry + crlf());
    }
    return writeFileAtomically(m_filePath, bytes, errorText);
}

namespace {

QString read(const Settings &settings, Key key)
{
    const QString value = settings.LoadConfigValue(keyName(key));
    return value.isEmpty() ? QString::fromUtf16(entry(key).whenMissing) : value;
}

} // namespace

QString Settings::saveFolder() const
{
    return read(*this, Key::SaveFolder);
}

bool Settings::setSaveFolder(const QString &folder, QString *errorText)
{
    return SaveConfigValue(keyName(Key::SaveFolder), folder, errorText);
}

bool Settings::autoMode() const
{
    return read(*this, Key::AutoMode) != QLatin1String("False");
}

bool Settings::setAutoMode(bool on, QString *errorText)
{
    return SaveConfigValue(keyName(Key::AutoMode), on ? QStringLiteral("True") : QStringLiteral("False"), errorText);
}

BatchCycle::Pace Settings::pace() const
{
    return read(*this, Key::Pace) == FastPace ? BatchCycle::Pace::Fast : BatchCycle::Pace::Standard;
}

bool Settings::setPace(BatchCycle::Pace pace, QString *errorText)
{
    return SaveConfigValue(keyName(Key::Pace), pace == BatchCycle::Pace::Fast ? FastPace : StandardPace, errorText);
}

bool Settings::skipDownloaded() const
{
    return read(*this, Key::SkipDownloaded) == QLatin1String("True");
}

bool Settings::setSkipDownloaded(bool skip, QString *errorText)
{
    return SaveConfigValue(keyName(Key::SkipDownloaded), skip ? QStringLiteral("True") : QStringLiteral("False"),
                           errorText);
}

int Settings::collectors() const
{
    // A value out of range or no number (edited by hand) counts as the nearest allowed.
    bool number = false;
    const int count = read(*this, Key::Collectors).toInt(&number);
    return number ? std::clamp(count, 1, BatchCycle::MaxCollectors) : 1;
}

bool Settings::setCollectors(int count, QString *errorText)
{
    return SaveConfigValue(keyName(Key::Collectors), QString::number(count), errorText);
}

QString Settings::exportFolder() const
{
    return read(*this, Key::ExportFolder);
}

bool Settings::setExportFolder(const QString &folder, QString *errorText)
{
    return SaveConfigValue(keyName(Key::ExportFolder), folder, errorText);
}

QString Settings::skin() const
{
    return read(*this, Key::Skin);
}

bool Settings::setSkin(const QString &fileName, QString *errorText)
{
    return SaveConfigValue(keyName(Key::Skin), fileName, errorText);
}

std::optional<int> Settings::skinId() const
{
    bool number = false;
    const int position = read(*this, Key::SkinId).toInt(&number);
    return number ? std::optional<int>(position) : std::nullopt;
}

bool Settings::setSkinId(std::optional<int> position, QString *errorText)
{
    return SaveConfigValue(keyName(Key::SkinId), position ? QString::number(*position) : QString(), errorText);
}

namespace {

// A number edited by hand out of its range, or no number, reads as the default.
int listingNumber(const Settings &settings, Key key, const ListingRange &range)
{
    bool number = false;
    const int value = read(settings, key).toInt(&number);
    return number && range.contains(value) ? value : QString::fromUtf16(entry(key).whenMissing).toInt();
}

QString flag(bool on)
{
    return on ? QStringLiteral("True") : QStringLiteral("False");
}

} // namespace

ListingOptions Settings::listingOptions() const
{
    ListingOptions options;
    options.mainSide = listingNumber(*this, Key::ListingMainSide, MainSideRange);
    options.descWidth = listingNumber(*this, Key::ListingDescWidth, DescWidthRange);
    options.sliceHeight = listingNumber(*this, Key::ListingSliceHeight, SliceHeightRange);
    options.sizeLimitKB = listingNumber(*this, Key::ListingSizeKB, SizeLimitRange);
    options.enlargeMain = read(*this, Key::ListingEnlarge) == QLatin1String("True");
    options.afterCollect = read(*this, Key::ListingAfterCollect) == QLatin1String("True");
    return options;
}

bool Settings::setListingOptions(const ListingOptions &options, QString *errorText)
{
    if (const QString problem = listingOptionsProblem(options); !problem.isEmpty()) {
        if (errorText)
            *errorText = problem;
        return false;
    }
    const std::pair<Key, QString> values[] = {
        {Key::ListingMainSide, QString::number(options.mainSide)},
        {Key::ListingDescWidth, QString::number(options.descWidth)},
        {Key::ListingSliceHeight, QString::number(options.sliceHeight)},
        {Key::ListingSizeKB, QString::number(options.sizeLimitKB)},
        {Key::ListingEnlarge, flag(options.enlargeMain)},
        {Key::ListingAfterCollect, flag(options.afterCollect)},
    };
    for (const auto &[key, value] : values) {
        if (!SaveConfigValue(keyName(key), value, errorText))
            return false;
    }
    return true;
}
