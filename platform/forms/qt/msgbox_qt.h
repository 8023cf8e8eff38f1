// The message-box service of the program: a QMessageBox honouring the
// style word's buttons, icon, default button, right-aligned text and
// right-to-left reading order.
#pragma once

#include <QMessageBox>

#include <memory>

#include "platform/forms/msgbox.h"

namespace forms::qt {

// The box for a request, ready to exec(); the answer of each button is its
// property "answer".
std::unique_ptr<QMessageBox> buildMessageBox(const MessageBoxRequest& request, QWidget* parent = nullptr);
// The least width of a message box whose title is `title`, pixels.
int minimumWidthForTitle(const QString& title);

// The answer of the button the user pressed (Escape or the close box give
// the box's Cancel, else its only button; a box without either keeps the
// default).
std::int16_t answerOf(const QMessageBox& box, std::int32_t style);

class QtMsgBox : public MsgBoxService {
public:
    std::int16_t show(const MessageBoxRequest& request) override;
};

}  // namespace forms::qt
