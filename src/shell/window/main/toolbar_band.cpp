#include "shell/window/main/toolbar_band.h"

#include "shell/window/log/status_log_view.h"

#include <QAction>
#include <QIcon>
#include <QToolBar>
#include <QToolButton>

namespace {

struct ButtonText
{
    const char *icon;
    const char16_t *caption;
    const char16_t *toolTip;
};

// In the order of ToolbarBand::Button.
constexpr ButtonText Buttons[] = {
    {"paste", u"粘贴", u"粘贴"},        {"copy", u"复制", u"复制"},
    {"newpage", u"新页", u"打开新空白页"}, {"home", u"主页", u"打开主页"},
    {"favfolder", u"收藏夹", u"打开收藏夹"}, {"addfav", u"收藏", u"收藏网址"},
    {"refresh", u"刷新", u"刷新网页"},    {"skin", u"换肤", u"更换软件外观"},
};

QIcon icon(const char *name)
{
    return QIcon(QStringLiteral(":/icons/%1.xpm").arg(QLatin1String(name)));
}

} // namespace

ToolbarBand::ToolbarBand(StatusLog &log, QWidget *parent)
    : QWidget(parent)
    , m_toolbar(new QToolBar(this))
    , m_contact(new QToolButton(this))
    , m_log(new StatusLogView(log, this))
{
    // The icons are linked in from a static library.
    Q_INIT_RESOURCE(icons);
    setObjectName(QStringLiteral("ToolbarBand"));
    // The toolbar's pictures: an image list in the design, our own icons here.
    auto *imageList = new QObject(this);
    imageList->setObjectName(QStringLiteral("ImageList1"));

    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolbar->setIconSize(QSize(16, 16));
    m_toolbar->setMovable(false);
    for (const ButtonText &b : Buttons) {
        QAction *action = m_toolbar->addAction(icon(b.icon), QString::fromUtf16(b.caption));
        action->setToolTip(QString::fromUtf16(b.toolTip));
        m_buttons << action;
    }

    m_contact->setObjectName(QStringLiteral("xqkf"));
    m_contact->setIcon(icon("contact"));
    m_contact->setIconSize(QSize(16, 16));
    m_contact->setText(QStringLiteral("联系客服"));
    m_contact->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_contact->setAutoRaise(true);
}

QAction *ToolbarBand::button(Button button) const
{
    return m_buttons.value(button - 1);
}

void ToolbarBand::arrange(int heightPixels, int contactWidthPixels)
{
    m_toolbar->setGeometry(0, 0, m_toolbar->sizeHint().width(), heightPixels);
    m_contact->setGeometry(m_toolbar->width(), 0, contactWidthPixels, heightPixels);
}
