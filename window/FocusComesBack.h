#pragma once

#include <QPointer>
#include <QWidget>

// Disabling the control that has the focus moves the focus on (from the
// convert button to Exit, where Return twice quits): this puts it back on
// every way out, once the control can take it again.
class FocusComesBack {
public:
    explicit FocusComesBack(QWidget *window) : window_(window), before_(window->focusWidget()) {}
    ~FocusComesBack()
    {
        if (window_ && before_ && before_->isEnabled() && before_->isVisible() && window_->focusWidget() != before_)
            before_->setFocus(Qt::OtherFocusReason);
    }
    FocusComesBack(const FocusComesBack &) = delete;
    FocusComesBack &operator=(const FocusComesBack &) = delete;

private:
    QPointer<QWidget> window_;
    QPointer<QWidget> before_;
};
