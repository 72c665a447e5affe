// The library's start-up for the length of one command.
#pragma once

namespace elkctl {

// Starts the library with the command's flags and stops it again, if the
// start succeeded, at the end of the scope. A light start is stopped as a
// light one. A command that can do without the installation (built-in texts
// answer then) ignores status(); one that cannot reports it.
class Started {
public:
    explicit Started(unsigned long flags);
    ~Started();
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;

    // 0, or the start-up's failure.
    unsigned long status() const { return status_; }

private:
    unsigned long flags_;
    unsigned long status_;
};

}  // namespace elkctl
