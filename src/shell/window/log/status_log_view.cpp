#include "shell/window/log/status_log_view.h"

#include "collection/status_log.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

StatusLogView::StatusLogView(StatusLog &log, QWidget *parent)
    : QPlainTextEdit(parent)
    , m_maxLines(log.maxLines())
{
    setObjectName(QStringLiteral("mesgText"));
    setReadOnly(true);
    setUndoRedoEnabled(false);
    // One log line to a row: the band is only three rows high.
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QStringList lines;
    for (int row = 0; row < log.lineCount(); ++row)
        lines << log.line(row);
    setPlainText(lines.join(QLatin1Char('\n')));
    connect(&log, &StatusLog::lineAdded, this, &StatusLogView::addLine);
}

void StatusLogView::addLine(const QString &line)
{
    QTextDocument *doc = document();
    QTextCursor top(doc);
    if (doc->isEmpty()) {
        top.insertText(line);
        return;
    }
    top.insertText(line);
    top.insertBlock();
    if (doc->blockCount() <= m_maxLines)
        return;
    // The oldest line goes together with the line break before it.
    const QTextBlock last = doc->lastBlock();
    QTextCursor bottom(doc);
    bottom.setPosition(last.position() - 1);
    bottom.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    bottom.removeSelectedText();
}

void StatusLogView::mouseDoubleClickEvent(QMouseEvent *event)
{
    QPlainTextEdit::mouseDoubleClickEvent(event);
    emit doubleClicked();
}
