#include "shell/browser/skin_window.h"

#include "shell/browser/owned_window.h"
#include "shell/browser/skins.h"

#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

SkinWindow::SkinWindow(Skins &skins, QWidget *parent)
    : QWidget(parent, ownedWindowFlags())
    , m_skins(skins)
    , m_list(new QListWidget(this))
{
    setObjectName(QStringLiteral("skin"));
    setWindowTitle(QStringLiteral("换肤"));
    resize(280, 360);
    closeOnEscape(this);
    m_list->setObjectName(QStringLiteral("SkinFile"));
    auto *plain = new QPushButton(QStringLiteral("恢复默认外观"), this);
    plain->setObjectName(QStringLiteral("DefaultLookCmd"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    layout->addWidget(plain);
    // A pick is a selection: the list's focus alone makes its first entry
    // current without selecting it, and must not apply it.
    connect(m_list, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem *> picked = m_list->selectedItems();
        if (!picked.isEmpty())
            SkinFile_Click(m_list->row(picked.first()));
    });
    connect(plain, &QPushButton::clicked, this, &SkinWindow::DefaultLookCmd_Click);
}

void SkinWindow::skin_Form_Load()
{
    m_skins.ensureFolder();
    {
        const QSignalBlocker quiet(m_list);
        m_list->clear();
        for (const QString &file : m_skins.entries()) {
            // Named as the user knows a skin, without its file's ending.
            auto *entry = new QListWidgetItem(Skins::displayName(file), m_list);
            entry->setData(FileRole, file);
        }
        m_list->setCurrentRow(-1);
    }
    const int stored = m_skins.storedRow(m_list->count());
    if (stored >= 0)
        m_list->setCurrentRow(stored);
    placeOverOwner(this);
    show();
    raise();
    activateWindow();
}

void SkinWindow::SkinFile_Click(int row)
{
    if (const QListWidgetItem *item = m_list->item(row))
        m_skins.pick(item->data(FileRole).toString(), row);
}

void SkinWindow::DefaultLookCmd_Click()
{
    m_skins.restoreDefaultLook();
    const QSignalBlocker quiet(m_list);
    m_list->clearSelection();
    m_list->setCurrentRow(-1);
}
