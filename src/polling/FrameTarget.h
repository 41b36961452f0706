#pragma once

#include "polling/ServerInfo.h"

namespace perivant {

// Messages to the main frame. The numbers are kept from the program's Windows origins
// (WM_USER + n), where users' traces and tools know them.
enum FrameMessage {
    MsgServerAdded = 0x401,       // a listed server answered; the record is in the table
    MsgServerSelected = 0x402,    // show this server in the detail panes
    MsgServersReleased = 0x403,   // every record was released; clear the panes
    MsgStatusChanged = 0x404,     // fetch state or running queries changed; rewrite status text
    MsgDocumentReady = 0x405,     // complete start-up
    MsgServerUpdated = 0x406,     // a re-queried record was rewritten; rewrite its row
    MsgServerDropped = 0x407,     // delete this server's row
    MsgMultipleSelected = 0x408,  // several rows selected; clear the detail panes
};

// How the polling engine reaches the main frame. Post returns at once; Send returns once the
// frame handled the message, or at once when the frame is gone. Both are called from workers
// and from the GUI thread; the GUI thread's own Send is a direct call.
class FrameTarget {
public:
    virtual ~FrameTarget() = default;
    virtual void Post(FrameMessage message, ServerPtr record) = 0;
    virtual void Send(FrameMessage message, ServerPtr record) = 0;
};

}  // namespace perivant
