#pragma once

class MainWindow;

// While one lives, paths added to the window's message list reach the grid's
// view and the count label only when the window is about to process its
// events, and when it ends: a folder of a hundred thousand messages would
// otherwise spend most of its time announcing single rows. What the window
// shows at the end is the same.
class MessageListBatch {
public:
    explicit MessageListBatch(MainWindow &window);
    ~MessageListBatch();
    MessageListBatch(const MessageListBatch &) = delete;
    MessageListBatch &operator=(const MessageListBatch &) = delete;

private:
    MainWindow &window_;
};

// Brings the grid's view and the count label up to the list.
void showMessageCount(MainWindow &window);
