#include "shell/skin_window.h"

#include "shell/skins.h"

#include <QListWidget>
#include <QSignalBlocker>
#include <QVBoxLayout>

SkinWindow::SkinWindow(Skins &skins, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_skins(skins)
    , m_list(new QListWidget(this))
{
    setObjectName(QStringLiteral("skin"));
    setWindowTitle(QStringLiteral("换肤"));
    resize(280, 360);
    m_list->setObjectName(QStringLiteral("SkinFile"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    connect(m_list, &QListWidget::currentRowChanged, this, &SkinWindow::SkinFile_Click);
}

void SkinWindow::skin_Form_Load()
{
    m_skins.ensureFolder();
    {
        const QSignalBlocker quiet(m_list);
        m_list->clear();
        m_list->addItems(m_skins.entries());
        m_list->setCurrentRow(-1);
    }
    const int stored = m_skins.storedRow(m_list->count());
    if (stored >= 0)
        m_list->setCurrentRow(stored);
    show();
    raise();
    activateWindow();
}

void SkinWindow::SkinFile_Click(int row)
{
    if (const QListWidgetItem *item = m_list->item(row))
        m_skins.pick(item->text(), row);
}
