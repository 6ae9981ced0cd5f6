#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QSpinBox;
class Settings;

// 上架图片设置: the sizes 上架图 is made at, and whether it is made right
// after each item is collected, read from and stored in config.ini. A value
// outside its range is refused with a message under the fields; the dialog
// then stays open.
class ListingSettingsDialog : public QDialog
{
    Q_OBJECT
public:
    ListingSettingsDialog(Settings &settings, QWidget *parent = nullptr);

    // 确定: stores the values and closes, or says why not.
    void accept() override;

private:
    void restoreDefaults();

    Settings &m_settings;
    QSpinBox *m_mainSide;
    QSpinBox *m_descWidth;
    QSpinBox *m_sliceHeight;
    QSpinBox *m_sizeLimit;
    QCheckBox *m_enlarge;
    QCheckBox *m_afterCollect;
    QLabel *m_problem;
};
