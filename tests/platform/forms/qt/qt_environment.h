// One Qt application for the whole test program, offscreen, with the
// settings store redirected to a temporary folder.
#pragma once

#include <QCoreApplication>
#include <QEventLoop>

namespace forms::qt {
class Application;
}

namespace formstest {

// The application the test program runs on.
forms::qt::Application& application();

// Lets posted events (deferred list and grid updates, deletions) run.
inline void processEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace formstest
