#pragma once

#include <QString>
#include <QWidget>

class Favourites;
class Prompts;
class QAction;
class QListWidget;

// linka, the favourites window "收藏夹": the list File1 of likepage/ (each
// favourite by its name, the file's ".link" left out) and the menu "打开",
// "删除", "修改", "设为主页"; Enter or a double-click opens a favourite and
// closes the window. It does not know the main window: what to open goes out
// through openRequested.
class FavouritesWindow : public QWidget
{
    Q_OBJECT
public:
    enum MenuEntry { Open = 0, Delete = 1, Rename = 2, SetHome = 3 };

    FavouritesWindow(Favourites &favourites, Prompts &prompts, QWidget *parent = nullptr);

    // Form_Load and show: the folder is made when missing, the list read and
    // its first entry selected.
    void Form_Load();

    QListWidget *File1() const { return m_list; }
    QAction *menu(MenuEntry entry) const;
    QString SelectedFavouritePath() const { return m_selected; }

    // A favourite was just stored: an open window lists it, selected.
    void showStored(const QString &path);

    void openSelected();
    void deleteSelected();
    void renameSelected();
    void setSelectedAsHome();

signals:
    // openfile with this path and flag.
    void openRequested(const QString &path, bool stayInTab);

private:
    // Reads the folder again; the selected entry stays selected while it exists.
    void refresh();
    void fill();
    void selectName(const QString &fileName);

    Favourites &m_favourites;
    Prompts &m_prompts;
    QListWidget *m_list;
    QList<QAction *> m_menu;
    QString m_selected;
};
