#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>

// A scheduled check that finds a window keeping the lists is not dropped:
// the runner leaves a request (watch-request in the program folder) and ends,
// and the window, which watches the folder, does the check.
class WatchHandover : public QObject
{
    Q_OBJECT
public:
    static QString fileName() { return QStringLiteral("watch-request"); }
    // The runner's side.
    static bool request(const QString &programFolder, QString *error);

    // The window's side: requested() for a request there now or later.
    explicit WatchHandover(const QString &programFolder, QObject *parent = nullptr);
    // Looks for a request that came before the watch began.
    void takeWaiting();

signals:
    void requested();

private:
    QString m_path;
    QFileSystemWatcher m_watcher;
};
