#pragma once

#include "ui/Prompts.h"

#include <QStringList>

namespace marvik::testing {

// Answers questions from a script (Yes when the script runs out, unless told
// otherwise) and records every text shown.
class FakePrompts : public ui::Prompts
{
public:
    QList<bool> answers;
    bool defaultAnswer = true;
    QStringList questions;
    QList<bool> yesDefaults; // the default button of each question: true for Yes
    QStringList informations;
    QStringList errors;

    bool ask(const QString &question, bool yesIsDefault = false) override
    {
        questions.append(question);
        yesDefaults.append(yesIsDefault);
        return answers.isEmpty() ? defaultAnswer : answers.takeFirst();
    }
    void inform(const QString &text) override { informations.append(text); }
    void error(const QString &text) override { errors.append(text); }
};

} // namespace marvik::testing
