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
    QStringList informations;
    QStringList errors;

    bool ask(const QString &question) override
    {
        questions.append(question);
        return answers.isEmpty() ? defaultAnswer : answers.takeFirst();
    }
    void inform(const QString &text) override { informations.append(text); }
    void error(const QString &text) override { errors.append(text); }
};

} // namespace marvik::testing
