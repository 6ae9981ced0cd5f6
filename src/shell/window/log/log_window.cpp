#include "shell/window/log/log_window.h"

#include "shell/browser/owned_window.h"
#include "shell/window/log/status_log_view.h"

#include "collection/status_log.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QTextCursor>
#include <QVBoxLayout>

LogWindow::LogWindow(StatusLog &log, QWidget *parent)
    : QWidget(parent, ownedWindowFlags())
    , m_lines(new StatusLogView(log, this))
    , m_findText(new QLineEdit(this))
    , m_findResult(new QLabel(this))
{
    setObjectName(QStringLiteral("LogWindow"));
    setWindowTitle(QStringLiteral("日志"));
    m_lines->setObjectName(QStringLiteral("LogText"));
    m_lines->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_lines->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_findText->setObjectName(QStringLiteral("LogFindText"));
    m_findText->setPlaceholderText(QStringLiteral("查找内容,回车查找下一个"));
    m_findText->setClearButtonEnabled(true);
    m_findResult->setObjectName(QStringLiteral("LogFindResult"));
    auto *findNextButton = new QPushButton(QStringLiteral("查找下一个"), this);
    findNextButton->setObjectName(QStringLiteral("LogFindNextCmd"));
    auto *copyButton = new QPushButton(QStringLiteral("复制全部"), this);
    copyButton->setObjectName(QStringLiteral("LogCopyCmd"));

    auto *bar = new QHBoxLayout;
    bar->addWidget(new QLabel(QStringLiteral("查找:"), this));
    bar->addWidget(m_findText, 1);
    bar->addWidget(findNextButton);
    bar->addWidget(m_findResult);
    bar->addStretch();
    bar->addWidget(copyButton);
    auto *column = new QVBoxLayout(this);
    column->addLayout(bar);
    column->addWidget(m_lines, 1);

    // A line found or read further down stays where it is as lines arrive at the top.
    connect(&log, &StatusLog::lineAdded, this, &LogWindow::keepPlace);
    closeOnEscape(this);

    const auto find = [this] { findNext(m_findText->text()); };
    connect(m_findText, &QLineEdit::returnPressed, this, find);
    connect(findNextButton, &QPushButton::clicked, this, find);
    connect(copyButton, &QPushButton::clicked, this, &LogWindow::copyAll);
    resize(720, 460); // within the main window on a 960×540 screen (1920×1080 at scaling 2)
}

void LogWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    // Opened (again): at the newest line, with the keyboard in the lines
    // (Ctrl+C, the arrows) rather than in an empty search box.
    m_lines->setFocus(Qt::OtherFocusReason);
    m_lines->moveCursor(QTextCursor::Start);
    m_lines->verticalScrollBar()->setValue(0);
    m_findResult->clear();
}

void LogWindow::keepPlace()
{
    // At the top with nothing found, the window follows the newest line.
    QScrollBar *rows = m_lines->verticalScrollBar();
    if (rows->value() == 0 && !m_lines->textCursor().hasSelection())
        return;
    rows->setValue(rows->value() + 1);
}

void LogWindow::search(const QString &text)
{
    m_findText->setText(text);
    findNext(text);
}

bool LogWindow::findNext(const QString &text)
{
    if (text.isEmpty()) {
        m_findResult->clear();
        return false;
    }
    bool found = m_lines->find(text);
    if (!found) {
        m_lines->moveCursor(QTextCursor::Start);
        found = m_lines->find(text);
    }
    m_findResult->setText(found ? QString() : QStringLiteral("未找到"));
    return found;
}

void LogWindow::copyAll()
{
    QGuiApplication::clipboard()->setText(m_lines->toPlainText());
}
