#pragma once

#include "ScriptedDialogs.h"
#include "TemporaryStateFolder.h"
#include "window/EventLoopYielder.h"
#include "window/MainWindow.h"

#include <QObject>
#include <QStringList>
#include <QTest>
#include <memory>

// A shown window over scripted dialogs.
struct WindowFixture {
    ScriptedDialogs dialogs;
    std::unique_ptr<MainWindow> window;

    MainWindow &open()
    {
        window = std::make_unique<MainWindow>(dialogs);
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            qWarning("window did not become active");
        return *window;
    }
};

// Every path in the message list, in order; none for the empty list.
inline QStringList listedPaths(MainWindow &window)
{
    QStringList rows;
    if (!window.messageListIsEmpty())
        for (int row = 0; row < window.messageRowCount(); ++row)
            rows << window.messagePathAt(row);
    return rows;
}

// Base of the window test suites: a new window and new dialogs for each test function.
class WindowTest : public QObject {
    Q_OBJECT
protected:
    WindowFixture fixture;
    MainWindow *w = nullptr;
    ScriptedDialogs *dialogs = nullptr;
    std::unique_ptr<TemporaryStateFolder> state;  // a new one for each test function

    // Every yield point lets the window run, so a test sees each step,
    // whatever the machine's speed.
    void yieldAtEveryPoint()
    {
        auto *yielder = dynamic_cast<EventLoopYielder *>(&w->yielder());
        QVERIFY(yielder);
        yielder->setIntervalMs(0);
    }

private Q_SLOTS:
    void init()
    {
        state = std::make_unique<TemporaryStateFolder>();
        fixture.dialogs = ScriptedDialogs();
        w = &fixture.open();
        dialogs = &fixture.dialogs;
    }
    void cleanup()
    {
        fixture.window.reset();
        state.reset();
    }
};
