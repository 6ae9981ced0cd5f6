#pragma once

#include <QPlainTextEdit>

class StatusLog;

// mesgText: the status log, newest line on top. Each new line is inserted at
// the top of the document and, past the log's cap, the bottom line goes, so
// adding a line costs the same after ten thousand lines as after ten.
class StatusLogView : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit StatusLogView(StatusLog &log, QWidget *parent = nullptr);

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void addLine(const QString &line);

    int m_maxLines;
};
