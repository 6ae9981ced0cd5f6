#pragma once

#include <QWidget>

class QAction;
class QToolBar;
class QToolButton;
class StatusLog;
class StatusLogView;

// The band at the top of the window: Toolbar1 with its eight buttons, the
// support-contact button xqkf, and the status log mesgText to the right.
// The browser, favourites, skin and contact commands are wired elsewhere.
class ToolbarBand : public QWidget
{
    Q_OBJECT
public:
    static constexpr int HeightTwips = 630;
    // The toolbar's buttons by their position, 1 to 8: the click handler
    // tells them apart by it.
    enum Button { Paste = 1, Copy, NewPage, Home, FavouritesFolder, Store, Refresh, ChangeSkin };

    ToolbarBand(StatusLog &log, QWidget *parent = nullptr);

    QAction *button(Button button) const;
    QToolButton *contactButton() const { return m_contact; }
    StatusLogView *statusLog() const { return m_log; }
    // Puts the toolbar and the contact button in place for a band this high.
    void arrange(int heightPixels, int contactWidthPixels);

private:
    QToolBar *m_toolbar;
    QList<QAction *> m_buttons;
    QToolButton *m_contact;
    StatusLogView *m_log;
};
