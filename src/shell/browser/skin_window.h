#pragma once

#include <QWidget>

class QListWidget;
class Skins;

// skin, the skin window "换肤": the list SkinFile of the skin folder's files
// and the button "恢复默认外观". Picking an entry applies it at once and
// stores it; the window stays open so that one skin after another can be tried.
class SkinWindow : public QWidget
{
    Q_OBJECT
public:
    SkinWindow(Skins &skins, QWidget *parent = nullptr);

    // skin_Form_Load and show: the folder is made when missing and the stored
    // entry selected again, which re-applies it.
    void skin_Form_Load();

    QListWidget *SkinFile() const { return m_list; }
    // An entry's file name, beside the name it shows.
    static constexpr int FileRole = Qt::UserRole;

    void SkinFile_Click(int row);
    // "恢复默认外观": the plain look, with nothing stored and nothing selected.
    void DefaultLookCmd_Click();

private:
    Skins &m_skins;
    QListWidget *m_list;
};
