#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class StatusLog;
class StatusLogView;

// 日志: every line the status log keeps, newest on top, in a window of its
// own where lines can be selected, searched and copied; the three rows of
// the log in the toolbar band show only the latest. It follows the log
// while it is open.
class LogWindow : public QWidget
{
    Q_OBJECT
public:
    explicit LogWindow(StatusLog &log, QWidget *parent = nullptr);

    // Selects the next occurrence of the text below the selection, going
    // round to the top; false when the log holds none.
    bool findNext(const QString &text);
    // Shows the text in the search box and finds its next occurrence.
    void search(const QString &text);
    // Puts every line on the clipboard.
    void copyAll();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void keepPlace();

    StatusLogView *m_lines;
    QLineEdit *m_findText;
    QLabel *m_findResult;
};
