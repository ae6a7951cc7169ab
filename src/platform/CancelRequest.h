// A request to stop a running backup or restore. The window's "Cancel" sets it while
// the run lets window events through; the run takes it at its next look and stops as
// a cancel by the user. Only the user-interface thread touches it.
#pragma once

namespace zb::platform {

class CancelRequest {
public:
    void request() { requested_ = true; }
    bool requested() const { return requested_; }
    void clear() { requested_ = false; }

private:
    bool requested_ = false;
};

}  // namespace zb::platform
