#pragma once

#include "platform/desktop.h"
#include "platform/process_starter.h"
#include "platform/prompts.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Answers the folder chooser as the user would.
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

// Keeps what the program asked the desktop to open.
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
