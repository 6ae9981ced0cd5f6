#pragma once

#include <QStringList>
#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QPushButton;

// picAddress: "<" and ">", the address bar urladress, "添加&A", "查看&L" and
// the "自动模式" box. Its controls are placed by the window's layout, in the
// strip's own coordinates. Enter in the address bar is passed on as typed.
class AddressStrip : public QWidget
{
    Q_OBJECT
public:
    static constexpr int TopTwips = 630;
    static constexpr int HeightTwips = 420;

    AddressStrip(const QString &homePage, QWidget *parent = nullptr);

    QPushButton *goback() const { return m_back; }
    QPushButton *GoForward() const { return m_forward; }
    QComboBox *urladress() const { return m_address; }
    QPushButton *AddToListCmd() const { return m_add; }
    QPushButton *ShowListCmd() const { return m_show; }
    QCheckBox *AutoModeChk() const { return m_auto; }
    // Sizes the layout keeps; `twips` converts to pixels.
    void setDesignSizes(const std::function<int(int)> &twips);

    // The drop-down list becomes `history`; the text in the box stays.
    void showHistory(const QStringList &history);

signals:
    // Enter was pressed in the address bar (urladress_KeyPress with code 13).
    void urladressEntered(const QString &text);

private:
    QPushButton *m_back;
    QPushButton *m_forward;
    QComboBox *m_address;
    QPushButton *m_add;
    QPushButton *m_show;
    QCheckBox *m_auto;
};
