#pragma once

#include <QPushButton>

// The one place that decides whether the convert button is on. Commands say
// whether the list has something to convert; while a run goes on the button
// stays off whatever they say, because a click from inside the run's yields
// would start a second run in the middle of the first one's record.
class ConvertButtonState {
public:
    explicit ConvertButtonState(QPushButton *button) : button_(button) {}

    void setAvailable(bool available)
    {
        available_ = available;
        apply();
    }
    bool runActive() const { return running_ > 0; }

    // Held for a whole convert command. Afterwards the button is on, as it was
    // when it was clicked.
    class Run {
    public:
        explicit Run(ConvertButtonState &state) : state_(state)
        {
            ++state_.running_;
            state_.apply();
        }
        ~Run()
        {
            --state_.running_;
            state_.setAvailable(true);
        }
        Run(const Run &) = delete;
        Run &operator=(const Run &) = delete;

    private:
        ConvertButtonState &state_;
    };

private:
    void apply() { button_->setEnabled(available_ && running_ == 0); }

    QPushButton *button_;
    bool available_ = false;
    int running_ = 0;
};
