#pragma once

#include "ui/Progress.h"

#include <QStringList>

namespace marvik::testing {

// Records what a loop showed: captions, text lines, bar positions, and
// whether the window was left visible.
class FakeProgress : public ui::Progress
{
public:
    QStringList captions;
    QStringList texts;
    QList<int> positions;
    bool visible = false;
    int shows = 0;
    int eventRuns = 0;

    void setCaption(const QString &caption) override { captions.append(caption); }
    void setText(const QString &text) override { texts.append(text); }
    void setPosition(int percent) override { positions.append(percent); }
    void show() override
    {
        visible = true;
        ++shows;
    }
    void hide() override { visible = false; }
    void processEvents() override { ++eventRuns; }
};

} // namespace marvik::testing
