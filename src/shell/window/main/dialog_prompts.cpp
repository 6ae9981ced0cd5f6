#include "shell/window/main/dialog_prompts.h"

#include <QInputDialog>
#include <QMessageBox>

#include <memory>

QString DialogPrompts::displayText(const QString &text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

void DialogPrompts::showMessage(Icon icon, const QString &title, const QString &text, std::function<void()> read)
{
    const QMessageBox::Icon shownIcon = icon == Icon::Information ? QMessageBox::Information
                                      : icon == Icon::Critical    ? QMessageBox::Critical
                                                                  : QMessageBox::NoIcon;
    auto *box = new QMessageBox(shownIcon, title, displayText(text), QMessageBox::Ok, m_owner);
    if (read)
        QObject::connect(box, &QDialog::finished, box, [read = std::move(read)] { read(); });
    // Accepting only hides a dialog; it goes once it has been answered.
    QObject::connect(box, &QDialog::finished, box, &QObject::deleteLater);
    box->open();
}

void DialogPrompts::askText(const QString &prompt, const QString &title, const QString &preset,
                            std::function<void(std::optional<QString>)> answer)
{
    auto *dialog = new QInputDialog(m_owner);
    dialog->setWindowTitle(title);
    dialog->setLabelText(prompt);
    dialog->setTextValue(preset);
    // Exactly one of the two fires; the shared callback is dropped with the dialog.
    auto callback = std::make_shared<std::function<void(std::optional<QString>)>>(std::move(answer));
    QObject::connect(dialog, &QInputDialog::textValueSelected, dialog,
                     [callback](const QString &text) { (*callback)(text); });
    QObject::connect(dialog, &QDialog::rejected, dialog, [callback] { (*callback)(std::nullopt); });
    QObject::connect(dialog, &QDialog::finished, dialog, &QObject::deleteLater);
    dialog->open();
}
