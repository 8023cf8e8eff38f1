// The UI thread. The forms layer, its Qt services and every member of
// libhalvex.so belong to one thread: the thread that loaded the forms layer
// (a program's main thread), or the one forms::qt::Application was made on.
// A call from any other thread that would show a form or dialog or touch the
// shared state is refused at once with WrongThreadError; nothing is done.
#pragma once

#include <stdexcept>

namespace forms {

class WrongThreadError : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

bool onUiThread();
// Throws WrongThreadError unless called on the UI thread.
void requireUiThread();
// Makes the calling thread the UI thread.
void setUiThread();

}  // namespace forms
