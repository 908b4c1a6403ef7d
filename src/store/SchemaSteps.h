#pragma once

namespace marvik::ui {
class Progress;
}

namespace marvik::store {

class MessageStore;

// The upgrades of a store written by an earlier program, in order, each
// keyed by the PRAGMA user_version it brings the store to. Each runs once,
// in its own transaction together with the new version number, so a kill
// half-way leaves the store as it was and the next start runs it again.
// A step that fills what it made (the search index) does so after that
// commit, on a thread of its own with the progress window and events
// running; cut short, that work goes on where it stopped (the indexer) at
// the next start.
class SchemaSteps
{
public:
    // The version the tables of the first program make (no step before it).
    static constexpr int BaseVersion = 1;

    // Runs every step above `version`, up to Schema::Version. `progress`
    // may be null (no window, no events).
    static void upgrade(MessageStore &store, int version, ui::Progress *progress);

    // A step of this long or more shows the progress window.
    static constexpr int ProgressFromRows = 2000;
    // How often the window gets its events while a long step runs.
    static constexpr int WaitMilliseconds = 15;
};

} // namespace marvik::store
