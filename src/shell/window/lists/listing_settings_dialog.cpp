#include "shell/window/lists/listing_settings_dialog.h"

#include "shell/settings.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

// The box takes any number: one out of range is refused with a message that
// says why, rather than corrected silently as a box with a range would.
QSpinBox *numberBox(const QString &name, const ListingRange &range, const QString &unit, QWidget *parent)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(1, 99999);
    box->setSuffix(u' ' + unit);
    box->setToolTip(QStringLiteral("%1 到 %2 %3").arg(range.least).arg(range.most).arg(unit));
    return box;
}

} // namespace

ListingSettingsDialog::ListingSettingsDialog(Settings &settings, QWidget *parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_mainSide(numberBox(QStringLiteral("ListingMainSide"), MainSideRange, QStringLiteral("像素"), this))
    , m_descWidth(numberBox(QStringLiteral("ListingDescWidth"), DescWidthRange, QStringLiteral("像素"), this))
    , m_sliceHeight(numberBox(QStringLiteral("ListingSliceHeight"), SliceHeightRange, QStringLiteral("像素"), this))
    , m_sizeLimit(numberBox(QStringLiteral("ListingSizeKB"), SizeLimitRange, QStringLiteral("KB"), this))
    , m_enlarge(new QCheckBox(QStringLiteral("小于边长的主图放大到边长(&E)"), this))
    , m_afterCollect(new QCheckBox(QStringLiteral("每个宝贝采集完成后自动做上架图(&A)"), this))
    , m_problem(new QLabel(this))
{
    setObjectName(QStringLiteral("ListingSettingsDialog"));
    setWindowTitle(QStringLiteral("上架图片设置"));
    m_enlarge->setObjectName(QStringLiteral("ListingEnlarge"));
    m_afterCollect->setObjectName(QStringLiteral("ListingAfterCollect"));
    m_problem->setObjectName(QStringLiteral("ListingProblem"));
    m_problem->setStyleSheet(QStringLiteral("color: #b00020"));
    m_problem->setWordWrap(true);
    m_problem->hide();

    auto *intro = new QLabel(QStringLiteral("在每个宝贝目录中做“上架图”文件夹:主图为白底正方形 JPEG,描述图按页面顺序缩到"
                                            "规定宽度,在最平淡的行切成不超过规定高度的片;每个文件不超过大小上限。"),
                             this);
    intro->setWordWrap(true);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("主图边长(&M):"), m_mainSide);
    form->addRow(QStringLiteral("描述图宽度(&W):"), m_descWidth);
    form->addRow(QStringLiteral("描述图切片高度(&H):"), m_sliceHeight);
    form->addRow(QStringLiteral("文件大小上限(&S):"), m_sizeLimit);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::RestoreDefaults,
                                         this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    buttons->button(QDialogButtonBox::RestoreDefaults)->setText(QStringLiteral("恢复默认(&D)"));
    connect(buttons, &QDialogButtonBox::accepted, this, &ListingSettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons->button(QDialogButtonBox::RestoreDefaults), &QPushButton::clicked, this,
            &ListingSettingsDialog::restoreDefaults);

    auto *column = new QVBoxLayout(this);
    column->addWidget(intro);
    column->addLayout(form);
    column->addWidget(m_enlarge);
    column->addWidget(m_afterCollect);
    column->addWidget(m_problem);
    column->addWidget(buttons);

    const ListingOptions stored = settings.listingOptions();
    m_mainSide->setValue(stored.mainSide);
    m_descWidth->setValue(stored.descWidth);
    m_sliceHeight->setValue(stored.sliceHeight);
    m_sizeLimit->setValue(stored.sizeLimitKB);
    m_enlarge->setChecked(stored.enlargeMain);
    m_afterCollect->setChecked(stored.afterCollect);
}

void ListingSettingsDialog::restoreDefaults()
{
    const ListingOptions defaults;
    m_mainSide->setValue(defaults.mainSide);
    m_descWidth->setValue(defaults.descWidth);
    m_sliceHeight->setValue(defaults.sliceHeight);
    m_sizeLimit->setValue(defaults.sizeLimitKB);
    m_enlarge->setChecked(defaults.enlargeMain);
    m_afterCollect->setChecked(defaults.afterCollect);
}

void ListingSettingsDialog::accept()
{
    ListingOptions options;
    options.mainSide = m_mainSide->value();
    options.descWidth = m_descWidth->value();
    options.sliceHeight = m_sliceHeight->value();
    options.sizeLimitKB = m_sizeLimit->value();
    options.enlargeMain = m_enlarge->isChecked();
    options.afterCollect = m_afterCollect->isChecked();
    QString problem = listingOptionsProblem(options);
    if (problem.isEmpty() && !m_settings.setListingOptions(options, &problem))
        problem = QStringLiteral("设置未能保存,原因:") + problem;
    if (!problem.isEmpty()) {
        m_problem->setText(problem);
        m_problem->show();
        return;
    }
    QDialog::accept();
}
