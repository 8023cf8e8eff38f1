#include "platform/forms/msgbox.h"

#include <algorithm>

#include "platform/forms/layer.h"

namespace forms {

std::int32_t buttonsOf(std::int32_t style) {
    std::int32_t buttons = style & 0x7;
    return buttons > vbRetryCancel ? vbOKOnly : buttons;
}

std::int32_t iconOf(std::int32_t style) { return style & 0x70; }

std::vector<std::int16_t> answersOf(std::int32_t style) {
    switch (buttonsOf(style)) {
        case vbOKCancel: return {vbOK, vbCancel};
        case vbAbortRetryIgnore: return {vbAbort, vbRetry, vbIgnore};
        case vbYesNoCancel: return {vbYes, vbNo, vbCancel};
        case vbYesNo: return {vbYes, vbNo};
        case vbRetryCancel: return {vbRetry, vbCancel};
        default: return {vbOK};
    }
}

std::int16_t defaultAnswerOf(std::int32_t style) {
    std::vector<std::int16_t> answers = answersOf(style);
    std::size_t which = static_cast<std::size_t>((style >> 8) & 0x3);
    return which < answers.size() ? answers[which] : answers.front();
}

std::int16_t MsgBox(std::string_view prompt, std::int32_t style) {
    return MsgBox(prompt, style, app().Title);
}

std::int16_t MsgBox(std::string_view prompt, std::int32_t style, std::string_view title) {
    MessageBoxRequest request{std::string(prompt), style, std::string(title)};
    auto service = detail::layer().msgBox;
    if (!service) {
        throw MsgBoxError("message box \"" + request.prompt + "\" shown, but no message-box service is installed");
    }
    return service->show(request);
}

bool msgBoxServiceInstalled() { return detail::layer().msgBox != nullptr; }

std::shared_ptr<MsgBoxService> setMsgBoxService(std::shared_ptr<MsgBoxService> service) {
    std::shared_ptr<MsgBoxService> previous = std::move(detail::layer().msgBox);
    detail::layer().msgBox = std::move(service);
    return previous;
}

std::int16_t ScriptedMsgBox::show(const MessageBoxRequest& request) {
    boxes_.push_back(request);
    if (answers_.empty()) {
        ++unanswered_;
        throw MsgBoxError("no scripted answer for the message box \"" + request.prompt + "\" titled \"" +
                          request.title + "\"");
    }
    std::int16_t result = answers_.front();
    answers_.pop_front();
    std::vector<std::int16_t> allowed = answersOf(request.style);
    if (std::find(allowed.begin(), allowed.end(), result) == allowed.end()) {
        ++unanswered_;
        throw MsgBoxError("scripted answer " + std::to_string(result) + " is no button of the message box \"" +
                          request.prompt + "\" (style " + std::to_string(request.style) + ")");
    }
    return result;
}

ScopedMsgBox::ScopedMsgBox()
    : script_(std::make_shared<ScriptedMsgBox>()), previous_(setMsgBoxService(script_)) {}

ScopedMsgBox::~ScopedMsgBox() { setMsgBoxService(std::move(previous_)); }

}  // namespace forms
