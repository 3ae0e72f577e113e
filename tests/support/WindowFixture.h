#pragma once

#include "ScriptedDialogs.h"
#include "app/frmStep1.h"

#include <QTest>
#include <memory>

// A shown window over scripted dialogs, made anew for each test function.
struct WindowFixture {
    ScriptedDialogs dialogs;
    std::unique_ptr<frmStep1> window;

    frmStep1 &open()
    {
        window = std::make_unique<frmStep1>(dialogs);
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            qWarning("window did not become active");
        return *window;
    }
};
