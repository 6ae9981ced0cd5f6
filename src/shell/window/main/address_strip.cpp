#include "shell/window/main/address_strip.h"

#include "shell/window/main/caption_width.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace {

QPushButton *button(const QString &name, const QString &caption, const QString &toolTip, QWidget *parent)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setToolTip(toolTip);
    return b;
}

} // namespace

AddressStrip::AddressStrip(const QString &homePage, QWidget *parent)
    : QWidget(parent)
    , m_back(button(QStringLiteral("goback"), QStringLiteral("<"), QStringLiteral("后退"), this))
    , m_forward(button(QStringLiteral("GoForward"), QStringLiteral(">"), QStringLiteral("前进"), this))
    , m_address(new QComboBox(this))
    , m_add(button(QStringLiteral("AddToListCmd"), QStringLiteral("添加&A"), QStringLiteral("Alt+A"), this))
    , m_show(button(QStringLiteral("ShowListCmd"), QStringLiteral("查看&L"), QStringLiteral("Alt+L"), this))
    , m_auto(new QCheckBox(QStringLiteral("自动模式"), this))
{
    setObjectName(QStringLiteral("picAddress"));
    m_address->setObjectName(QStringLiteral("urladress"));
    m_address->setEditable(true);
    m_address->setInsertPolicy(QComboBox::NoInsert);
    m_address->setEditText(homePage);
    m_address->setToolTip(QStringLiteral("可直接输入产品详情页的网址进行采集"));
    m_auto->setObjectName(QStringLiteral("AutoModeChk"));
    m_auto->setChecked(true);
    // Enter opens exactly the typed text: a completer would fill in a longer
    // entry of the history, or one in other letter case. The history stays
    // in the drop-down list.
    m_address->setCompleter(nullptr);
    connect(m_address->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { emit urladressEntered(m_address->currentText()); });
}

void AddressStrip::showHistory(const QStringList &history)
{
    const QString text = m_address->currentText();
    m_address->clear();
    m_address->addItems(history);
    m_address->setEditText(text);
}

void AddressStrip::setDesignSizes(const std::function<int(int)> &twips)
{
    m_back->setGeometry(twips(60), twips(60), twips(330), twips(300));
    m_forward->setGeometry(twips(450), twips(60), twips(330), twips(300));
    m_address->resize(m_address->width(), twips(300));
    for (QPushButton *button : {m_add, m_show})
        button->resize(std::max(twips(900), captionWidth(button)), twips(360));
    m_auto->resize(std::max(twips(1300), m_auto->sizeHint().width()), twips(360));
}
