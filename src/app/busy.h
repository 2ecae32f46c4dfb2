#pragma once
// Marks a long command as running for as long as the scope lasts, also when
// it is left by an exception; ProfileSession::busy() reads the flag, and every command
// that arrives meanwhile is refused.

namespace orv {

class BusyScope {
public:
    explicit BusyScope(bool &flag) : flag_(flag) { flag_ = true; }
    ~BusyScope() { flag_ = false; }
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;

private:
    bool &flag_;
};

} // namespace orv
