#pragma once

#include <QString>

namespace marvik::ui {

// Message boxes titled "Marvik". Tests answer them in advance with a scripted
// fake, so no test meets a modal dialog.
class Prompts
{
public:
    virtual ~Prompts() = default;
    // Yes/No question with a question icon; true means "Yes". No is the
    // default button, as most questions delete or discard something; a
    // question whose Yes is the safe answer passes yesIsDefault.
    virtual bool ask(const QString &question, bool yesIsDefault = false) = 0;
    // Information box with an OK button.
    virtual void inform(const QString &text) = 0;
    // Error box, for errors that end a command.
    virtual void error(const QString &text) = 0;
};

} // namespace marvik::ui
