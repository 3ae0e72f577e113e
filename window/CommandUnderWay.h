#pragma once

// Held while a command runs. Commands yield to the event loop, so a drop can
// arrive in the middle of one; it is refused then, as the list is being read
// or written.
class CommandUnderWay {
public:
    explicit CommandUnderWay(int &running) : running_(running) { ++running_; }
    ~CommandUnderWay() { --running_; }
    CommandUnderWay(const CommandUnderWay &) = delete;
    CommandUnderWay &operator=(const CommandUnderWay &) = delete;

private:
    int &running_;
};
