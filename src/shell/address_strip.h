#pragma once

#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QPushButton;

// picAddress: "<" and ">", the address bar urladress, "添加&A", "查看&L" and
// the "自动模式" box. Its controls are placed by the window's layout, in the
// strip's own coordinates.
class AddressStrip : public QWidget
{
    Q_OBJECT
public:
    static constexpr int TopTwips = 630;
    static constexpr int HeightTwips = 420;

    AddressStrip(const QString &homePage, QWidget *parent = nullptr);

    QComboBox *urladress() const { return m_address; }
    QPushButton *AddToListCmd() const { return m_add; }
    QPushButton *ShowListCmd() const { return m_show; }
    QCheckBox *AutoModeChk() const { return m_auto; }
    // Sizes the layout keeps; `twips` converts to pixels.
    void setDesignSizes(const std::function<int(int)> &twips);

private:
    QPushButton *m_back;
    QPushButton *m_forward;
    QComboBox *m_address;
    QPushButton *m_add;
    QPushButton *m_show;
    QCheckBox *m_auto;
};
