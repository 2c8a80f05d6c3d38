// What the window shows when the unit no longer answers in its smart protocol: the message, the port
// chooser and reconnect button usable again, the pages hidden. Runs on the window thread, inside a
// hand-over; the worker ends right after it.
#pragma once

namespace kelvane {

class Queue;
class WindowControls;

void ShowLinkLost(WindowControls& controls, Queue& commands);

}  // namespace kelvane
