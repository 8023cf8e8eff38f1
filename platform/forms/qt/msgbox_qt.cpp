#include "platform/forms/qt/msgbox_qt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QSpacerItem>
#include <QLabel>
#include <QPushButton>

#include "platform/forms/qt/application.h"
#include "platform/forms/qt/convert.h"
#include "platform/forms/screen.h"

namespace forms::qt {

namespace {

QMessageBox::StandardButton standardButton(std::int16_t answer) {
    switch (answer) {
        case vbOK: return QMessageBox::Ok;
        case vbCancel: return QMessageBox::Cancel;
        case vbAbort: return QMessageBox::Abort;
        case vbRetry: return QMessageBox::Retry;
        case vbIgnore: return QMessageBox::Ignore;
        case vbYes: return QMessageBox::Yes;
        case vbNo: return QMessageBox::No;
        default: return QMessageBox::NoButton;
    }
}

QMessageBox::Icon iconFor(std::int32_t style) {
    switch (iconOf(style)) {
        case vbCritical: return QMessageBox::Critical;
        case vbQuestion: return QMessageBox::Question;
        case vbExclamation: return QMessageBox::Warning;
        case vbInformation: return QMessageBox::Information;
        default: return QMessageBox::NoIcon;
    }
}

}  // namespace

std::unique_ptr<QMessageBox> buildMessageBox(const MessageBoxRequest& request, QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(toQString(request.title));
    box->setTextFormat(Qt::PlainText);
    box->setText(toDisplayText(request.prompt));
    box->setIcon(iconFor(request.style));
    std::int16_t defaultAnswer = defaultAnswerOf(request.style);
    for (std::int16_t answer : answersOf(request.style)) {
        QAbstractButton* button = box->addButton(standardButton(answer));
        button->setProperty("answer", answer);
        if (answer == defaultAnswer) box->setDefaultButton(static_cast<QPushButton*>(button));
    }
    // Escape: the Cancel button, or the only button of a one-button box.
    std::vector<std::int16_t> answers = answersOf(request.style);
    for (std::int16_t answer : answers) {
        if (answer == vbCancel) box->setEscapeButton(box->button(standardButton(answer)));
    }
    if (answers.size() == 1) box->setEscapeButton(box->button(standardButton(answers.front())));
    if (request.style & vbMsgBoxRtlReading) box->setLayoutDirection(Qt::RightToLeft);
    if (request.style & vbMsgBoxRight) {
        if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
            label->setAlignment(Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignVCenter);
        }
    }
    // The box is at least as wide as its title: the window manager draws
    // the title in a bold font beside its own buttons and would cut off a
    // title longer than the text (a short question in Arabic).
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
        const int width = minimumWidthForTitle(box->windowTitle());
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                      grid->columnCount());
    }
    box->setWindowModality(Qt::ApplicationModal);
    return box;
}

int minimumWidthForTitle(const QString& title) {
    constexpr int kWindowButtons = 160;  // pixels: the frame's icon and buttons beside the title
    QFont font = QApplication::font();
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(title) + kWindowButtons;
}

std::int16_t answerOf(const QMessageBox& box, std::int32_t style) {
    if (QAbstractButton* clicked = box.clickedButton()) {
        QVariant answer = clicked->property("answer");
        if (answer.isValid()) return static_cast<std::int16_t>(answer.toInt());
    }
    std::vector<std::int16_t> answers = answersOf(style);
    for (std::int16_t answer : answers) {
        if (answer == vbCancel) return vbCancel;
    }
    return answers.size() == 1 ? answers.front() : defaultAnswerOf(style);
}

std::int16_t QtMsgBox::show(const MessageBoxRequest& request) {
    QWidget* parent = nullptr;
    if (Form* active = screen().ActiveForm()) parent = windowOf(*active);
    std::unique_ptr<QMessageBox> box = buildMessageBox(request, parent);
    box->exec();
    return answerOf(*box, request.style);
}

}  // namespace forms::qt
