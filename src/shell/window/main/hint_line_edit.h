#pragma once

#include <QLineEdit>

// A one-line box whose text a model keeps (a hint at rest): it reports mouse
// presses and the focus it gains, so the model can make way for typing, and
// shows the model's text without echoing it back.
class HintLineEdit : public QLineEdit
{
    Q_OBJECT
public:
    HintLineEdit(const QString &objectName, QWidget *parent = nullptr);

    // Shows the model's text; nothing changes when it is what the box shows.
    void showText(const QString &text);

signals:
    void pressed();
    void focusGained();
    // The user changed the text.
    void typed(const QString &text);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
};
