#pragma once

#include <QString>

#include <functional>
#include <optional>

// Message boxes and the input box, behind a seam that tests answer without
// clicks. Both return at once; an answer comes through its callback, so the
// caller never waits in a nested event loop.
class Prompts
{
public:
    enum class Icon { None, Information, Critical };

    virtual ~Prompts() = default;

    // The text is shown as given; line ends (CR LF or a lone CR) break lines.
    // `read` (optional) runs once the user has dismissed the message.
    virtual void showMessage(Icon icon, const QString &title, const QString &text,
                             std::function<void()> read = {}) = 0;

    // `answer` gets the text the user confirmed, or nothing when the user
    // cancelled. It may never be called when the owner window goes away first.
    virtual void askText(const QString &prompt, const QString &title, const QString &preset,
                         std::function<void(std::optional<QString>)> answer) = 0;
};
