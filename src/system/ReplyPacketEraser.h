#pragma once

namespace marvik::state {
class AppState;
}

namespace marvik::system {

// "&Erase REP File": deletes the current system's reply packet once the
// user agrees.
class ReplyPacketEraser
{
public:
    // Asks "Delete <QWKID>.REP?" and deletes the packet on Yes. Returns
    // whether the packet still exists, which is when the command stays
    // enabled. A packet that cannot be deleted is reported.
    static bool EraseRepFile(state::AppState &state);
};

} // namespace marvik::system
