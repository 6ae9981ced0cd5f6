#include "lists/list_file.h"

#include "collection/status_log.h"
#include "lists/list_store.h"
#include "platform/text_file.h"

#include <QStringList>

namespace {

const QString AddUrlTextTag = QStringLiteral("<AddUrlText>");
const QString ReadyDownListTag = QStringLiteral("<readyDownList>");
const QString AlreadyDownedListTag = QStringLiteral("<AlreadyDownedList>");
const QString LineEnd = QStringLiteral("\r\n");

// The box's text with every kind of line break written as CR LF.
QString withCrLf(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'), LineEnd);
    return text;
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

ListFile::ListFile(ListStore &lists, StatusLog &log, const QString &path)
    : m_lists(lists)
    , m_log(log)
    , m_path(path)
{
}

QString ListFile::path() const
{
    return m_path;
}

bool ListFile::SaveLists()
{
    QString text = AddUrlTextTag + LineEnd + withCrLf(m_lists.AddUrlText()) + LineEnd;
    text += ReadyDownListTag + LineEnd;
    for (const QString &line : m_lists.readyDownList().entries())
        text += line + LineEnd;
    text += AlreadyDownedListTag + LineEnd;
    for (const QString &line : m_lists.AlreadyDownedList().entries())
        text += line + LineEnd;

    QString error;
    if (writeLocalTextFile(m_path, text, &error))
        return true;
    m_log.AddMesg(QStringLiteral("保存列表失败,原因:") + error);
    return false;
}

bool ListFile::LoadLists()
{
    const std::optional<QString> contents = readLocalTextFile(m_path);
    if (!contents)
        return false;
    LineReader reader(splitLines(*contents));
    if (reader.atEnd())
        return true;

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
    }
    return true;
}
