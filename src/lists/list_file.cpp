#include "lists/list_file.h"

#include "collection/status_log.h"
#include "lists/list_store.h"
#include "platform/files/text_file.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringList>

namespace {

const QString AddUrlTextTag = QStringLiteral("<AddUrlText>");
const QString ReadyDownListTag = QStringLiteral("<readyDownList>");
const QString AlreadyDownedListTag = QStringLiteral("<AlreadyDownedList>");
const QString LineEnd = QStringLiteral("\r\n");

// A line that reads as one of the file's headers would split the file where
// it stands when read back: it is kept as text, behind a blank.
QString asText(const QString &line)
{
    return line == AddUrlTextTag || line == ReadyDownListTag || line == AlreadyDownedListTag ? QLatin1Char(' ') + line
                                                                                              : line;
}

// The box's text with every kind of line break written as CR LF.
QString withCrLf(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines)
        line = asText(line);
    return lines.join(LineEnd);
}

// Reads the file one line at a time, as the format's reader was written.
class LineReader
{
public:
    explicit LineReader(QStringList lines)
        : m_lines(std::move(lines))
    {
    }

    bool atEnd() const { return m_next >= m_lines.size(); }
    // The next line; call only when not at the end.
    const QString &read() { return m_lines.at(m_next++); }

private:
    QStringList m_lines;
    qsizetype m_next = 0;
};

} // namespace

ListFile::ListFile(ListStore &lists, StatusLog &log, const QString &path, QObject *parent)
    : QObject(parent)
    , m_lists(lists)
    , m_log(log)
    , m_path(path)
{
}

QString ListFile::path() const
{
    return m_path;
}

QString ListFile::listText() const
{
    QString text = AddUrlTextTag + LineEnd + withCrLf(m_lists.AddUrlText()) + LineEnd;
    text += ReadyDownListTag + LineEnd;
    if (m_underWay) {
        for (const QString &line : m_underWay())
            text += asText(line) + LineEnd;
    }
    for (const QString &line : m_lists.readyDownList().entries())
        text += asText(line) + LineEnd;
    text += AlreadyDownedListTag + LineEnd;
    for (const QString &line : m_lists.AlreadyDownedList().entries())
        text += asText(line) + LineEnd;
    return text;
}

bool ListFile::SaveLists()
{
    m_lastError.clear();
    if (m_readOnly)
        return true;
    const QString text = listText();
    if (m_keepCopy && !keepCopyOfUnreadFile())
        return false;
    QString error;
    if (writeLocalTextFile(m_path, text, &error)) {
        emit written();
        return true;
    }
    m_lastError = error;
    m_log.AddMesg(QStringLiteral("保存列表失败,原因:") + error);
    return false;
}

QString ListFile::datedName(const QString &folder) const
{
    const QFileInfo info(m_path);
    const QString stem = QDir(folder).filePath(info.completeBaseName() + QLatin1Char('-')
                                               + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
    QString name = stem + QLatin1Char('.') + info.suffix();
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = stem + QLatin1Char('-') + QString::number(n) + QLatin1Char('.') + info.suffix();
    return name;
}

std::optional<QString> ListFile::saveDatedCopy(const QString &folder)
{
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return std::nullopt;
    const QString copy = datedName(folder);
    if (!writeLocalTextFile(copy, listText()))
        return std::nullopt;
    return copy;
}

bool ListFile::keepCopyOfUnreadFile()
{
    const QFileInfo info(m_path);
    const QString copy = datedName(info.path());
    if (!QFile::exists(m_path) || QFile::copy(m_path, copy)) {
        m_keepCopy = false;
        if (QFile::exists(copy))
            m_log.AddMesg(QStringLiteral("列表文件") + info.fileName() + QStringLiteral("未能完整读取,保存前已备份为:")
                          + copy);
        return true;
    }
    m_lastError = QStringLiteral("列表文件") + info.fileName() + QStringLiteral("未能完整读取,且无法备份为") + copy
        + QStringLiteral(",原文件未被覆盖");
    m_log.AddMesg(QStringLiteral("保存列表失败,原因:") + m_lastError);
    return false;
}

bool ListFile::LoadLists()
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = file.readAll();
    file.close();
    const bool utf8 = bytes.startsWith("\xEF\xBB\xBF");
    if (utf8)
        bytes.remove(0, 3);
    QStringDecoder decoder(utf8 ? "UTF-8" : "GB18030");
    const QString contents = decoder.decode(bytes);
    // Saving over a file that did not read back whole would lose what it held.
    m_keepCopy = true;
    LineReader reader(splitLines(contents));
    if (reader.atEnd()) {
        m_keepCopy = !bytes.isEmpty();
        return true;
    }

    QString last = reader.read();
    if (last == AddUrlTextTag) {
        // Leading empty lines are dropped: the text starts at its first non-empty line.
        QString text;
        for (;;) {
            if (reader.atEnd())
                return true; // cut short: the box keeps its text
            last = reader.read();
            if (last == ReadyDownListTag)
                break;
            text = text.isEmpty() ? last : text + LineEnd + last;
        }
        m_lists.setAddUrlText(text);
    }
    if (last == ReadyDownListTag) {
        for (;;) {
            if (reader.atEnd())
                return true;
            last = reader.read();
            if (last == AlreadyDownedListTag)
                break;
            m_lists.readyDownList().append(last);
        }
    }
    if (last == AlreadyDownedListTag) {
        while (!reader.atEnd())
            m_lists.AlreadyDownedList().append(reader.read());
        m_keepCopy = decoder.hasError();
    }
    return true;
}
