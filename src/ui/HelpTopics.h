#pragma once

namespace marvik::ui {

// The help window as the other windows see it: F1 in a window opens its topic.
class HelpTopics
{
public:
    // The topic of each window.
    enum Topic
    {
        Contents = 1,
        OpeningPacket = 2,
        StoreAndFolders = 3,
        MainWindowTopic = 4,
        SystemsListTopic = 7,
        SystemWindowTopic = 8,
        ReaderTopic = 9,
        EditorTopic = 10,
        SettingsTopic = 11,
        BulkDeleteTopic = 12,
        SearchTopic = 13,
    };

    virtual ~HelpTopics() = default;
    virtual void showTopic(int topic) = 0;
};

} // namespace marvik::ui
