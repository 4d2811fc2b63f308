#pragma once

class QApplication;

namespace varnelo {

// Runs the event loop until the program's last window has been closed, then
// destroys every window that is still there. A window's destruction waits for
// the worker of its run, so once this returns no run uses anything the caller
// made for it (the place search, the gzip codec) and the caller may destroy it.
int RunUntilLastWindowCloses(QApplication& app);

}  // namespace varnelo
