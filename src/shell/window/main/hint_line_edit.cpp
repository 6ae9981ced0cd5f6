#include "shell/window/main/hint_line_edit.h"

#include <QFocusEvent>

HintLineEdit::HintLineEdit(const QString &objectName, QWidget *parent)
    : QLineEdit(parent)
{
    setObjectName(objectName);
    connect(this, &QLineEdit::textEdited, this, &HintLineEdit::typed);
}

void HintLineEdit::showText(const QString &text)
{
    if (text != this->text())
        setText(text);
}

void HintLineEdit::mousePressEvent(QMouseEvent *event)
{
    emit pressed();
    QLineEdit::mousePressEvent(event);
}

void HintLineEdit::focusInEvent(QFocusEvent *event)
{
    emit focusGained();
    QLineEdit::focusInEvent(event);
}
