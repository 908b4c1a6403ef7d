#pragma once

// What both reader benchmarks need: scripted services, medians, the process's
// resident memory, timer readings and a message text of about 1.5 KB.
#include "state/AppState.h"
#include "support/FakeFileDialogs.h"
#include "support/FakeProgress.h"
#include "support/FakePrompts.h"
#include "ui/HelpTopics.h"

#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QString>

#include <algorithm>

namespace benchsupport {

class NoHelp : public marvik::ui::HelpTopics
{
public:
    void showTopic(int) override { }
};

// Scripted prompts, progress, file dialogs and help, handed to the state.
struct ScriptedServices
{
    marvik::testing::FakePrompts prompts;
    marvik::testing::FakeProgress progress;
    marvik::testing::FakeFileDialogs files;
    NoHelp help;

    explicit ScriptedServices(marvik::state::AppState &state)
    {
        state.setServices({&prompts, &progress, &files, &help});
    }
};

inline double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

inline double rssMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

inline double elapsedMs(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e6;
}

inline QString messageText(int number)
{
    QString text = QStringLiteral("Message %1\r\n\r\n").arg(number);
    for (int line = 0; line < 20; ++line) {
        QString row = QStringLiteral("%1.%2 ").arg(number).arg(line);
        while (row.size() < 72)
            row += QStringLiteral("lorem ipsum ");
        text += row.left(72) + QStringLiteral("\r\n");
    }
    return text;
}

} // namespace benchsupport
