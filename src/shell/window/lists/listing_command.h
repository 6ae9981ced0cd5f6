#pragma once

#include <QObject>
#include <QPointer>

class ListingSettingsDialog;
class ProgramParts;
class QAbstractItemView;
class QMenu;
class QWidget;

// 上架图片: 上架图 for the selected entries of the downloaded list (all of
// them when none is selected), made off the GUI thread with the stored
// settings; the progress strip shows how far it is and the log what came of
// each item. Offered in the downloaded list's context menu, with its cancel
// and its settings dialog.
class ListingCommand : public QObject
{
    Q_OBJECT
public:
    ListingCommand(ProgramParts &parts, QWidget *dialogParent, QObject *parent = nullptr);

    void makeListing_Click();
    void cancelListing_Click();
    // Opens 上架图片设置 (window-modal, not waited for).
    void listingSettings_Click();
    // The list's context menu gets the three commands.
    void attachTo(QAbstractItemView *downloadedList);

    // The menu entry says which entries go: the selected ones, or all.
    static QString makeCaption(int selected, int count);
    ListingSettingsDialog *settingsDialog() const;
    // The context menu as it was last built, for the tests.
    QMenu *lastMenu() const;

private:
    void showMenu(QAbstractItemView *list, const QPoint &at);

    ProgramParts &m_parts;
    QWidget *m_dialogParent;
    QPointer<ListingSettingsDialog> m_dialog;
    QPointer<QMenu> m_menu;
};
