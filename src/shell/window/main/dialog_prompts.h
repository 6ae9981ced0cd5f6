#pragma once

#include "platform/desktop/prompts.h"

#include <QPointer>

class QWidget;

// QMessageBox and QInputDialog, window-modal over the owner and opened with
// open(): the event loop goes on while they are up.
class DialogPrompts : public Prompts
{
public:
    explicit DialogPrompts(QWidget *owner = nullptr) : m_owner(owner) {}

    void showMessage(Icon icon, const QString &title, const QString &text, std::function<void()> read = {}) override;
    void askText(const QString &prompt, const QString &title, const QString &preset,
                 std::function<void(std::optional<QString>)> answer) override;

    // The same text with CR LF and lone CRs as the line breaks a label shows.
    static QString displayText(const QString &text);

private:
    QPointer<QWidget> m_owner;
};
