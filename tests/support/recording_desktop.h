#pragma once

#include "platform/desktop/desktop.h"
#include "platform/desktop/process_starter.h"
#include "platform/desktop/prompts.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

#include <optional>

// Answers the folder and file choosers as the user would.
class AnsweringPicker : public FolderPicker
{
public:
    QString answer;
    QString askedTitle, askedInitial;
    // The file chooser: how often it was asked, for one file or several, and
    // what the user does while it is open (as long as the answer takes).
    int filesAsked = 0;
    bool askedMultiple = false;
    std::function<QStringList()> answerFiles = [] { return QStringList(); };

    QString BrowseForFolder(const QString &title, const QString &initialFolder) override
    {
        askedTitle = title;
        askedInitial = initialFolder;
        return answer;
    }
    // The save dialog: the answer, and what it was asked with.
    QString saveAnswer;
    QString askedSavePath;
    int savesAsked = 0;
    void chooseSaveFile(const QString &title, const QString &suggestedPath, const QString &,
                        std::function<void(const QString &)> done) override
    {
        askedTitle = title;
        askedSavePath = suggestedPath;
        ++savesAsked;
        done(saveAnswer);
    }
    QStringList chooseFiles(const QString &title, const QString &initialFolder, bool multiple) override
    {
        askedTitle = title;
        askedInitial = initialFolder;
        askedMultiple = multiple;
        ++filesAsked;
        return answerFiles();
    }
};

// Keeps what the program asked the desktop to open.
class RecordingOpener : public Opener
{
public:
    QStringList opened;
    bool hasFileManager = true; // false: the desktop has no file manager to show a folder in
    bool openFolder(const QString &path) override
    {
        if (!hasFileManager)
            return false;
        opened << path;
        return true;
    }
    bool openAddress(const QString &address) override
    {
        opened << address;
        return true;
    }
    bool hasFileViewer = true; // false: the desktop has no program for the file
    bool openFile(const QString &path) override
    {
        if (!hasFileViewer)
            return false;
        opened << path;
        return true;
    }
};

// Keeps the programs the program asked to start, and starts none.
class RecordingStarter : public ProcessStarter
{
public:
    QString program;
    QStringList arguments;
    bool startDetached(const QString &p, const QStringList &a) override
    {
        program = p;
        arguments = a;
        return true;
    }
};

// Answers the program's dialogs as a user would, and keeps what they showed.
class RecordingPrompts : public Prompts
{
public:
    struct Message
    {
        Icon icon;
        QString title;
        QString text;
    };
    struct Question
    {
        QString prompt;
        QString title;
        QString preset;
    };

    QList<Message> messages;
    QList<Question> questions;
    // The next answers of the input box, in order; nothing means "cancel".
    QList<std::optional<QString>> answers;

    // Read at once.
    void showMessage(Icon icon, const QString &title, const QString &text, std::function<void()> read = {}) override
    {
        messages.append({icon, title, text});
        if (read)
            read();
    }

    void askText(const QString &prompt, const QString &title, const QString &preset,
                 std::function<void(std::optional<QString>)> answer) override
    {
        questions.append({prompt, title, preset});
        answer(answers.isEmpty() ? std::nullopt : answers.takeFirst());
    }

    QStringList texts() const
    {
        QStringList shown;
        for (const Message &m : messages)
            shown.append(m.text);
        return shown;
    }
};
