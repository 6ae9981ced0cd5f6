#pragma once

#include "platform/desktop.h"

#include <QString>
#include <QStringList>

// The desktop's dialogs answered as the user would, and what was opened.

class AnsweringPicker : public FolderPicker
{
public:
    QString answer;
    QString askedTitle, askedInitial;
    QString BrowseForFolder(const QString &title, const QString &initialFolder) override
    {
        askedTitle = title;
        askedInitial = initialFolder;
        return answer;
    }
};

class AnsweringTextAsker : public TextAsker
{
public:
    QString answer; // empty: the user cancelled
    QStringList asked; // "prompt|title|preset" of every question
    QString askText(const QString &prompt, const QString &title, const QString &preset) override
    {
        asked << prompt + u'|' + title + u'|' + preset;
        return answer;
    }
};

class RecordingOpener : public Opener
{
public:
    QStringList opened;
    bool openFolder(const QString &path) override
    {
        opened << path;
        return true;
    }
    bool openAddress(const QString &address) override
    {
        opened << address;
        return true;
    }
};
