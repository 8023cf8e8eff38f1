// Message boxes: one service for the whole program. The style is the
// original toolkit's bit word (buttons, icon, default button, right-aligned
// and right-to-left flags) and the answer its button number. The program
// installs the Qt box (forms/qt); tests install ScriptedMsgBox, which
// answers from a queue and records every box. Without a service a box is an
// error, so no box passes unnoticed in a test.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace forms {

// Buttons
inline constexpr std::int32_t vbOKOnly = 0;
inline constexpr std::int32_t vbOKCancel = 1;
inline constexpr std::int32_t vbAbortRetryIgnore = 2;
inline constexpr std::int32_t vbYesNoCancel = 3;
inline constexpr std::int32_t vbYesNo = 4;
inline constexpr std::int32_t vbRetryCancel = 5;
// Icons
inline constexpr std::int32_t vbCritical = 16;
inline constexpr std::int32_t vbQuestion = 32;
inline constexpr std::int32_t vbExclamation = 48;
inline constexpr std::int32_t vbInformation = 64;
// Default button
inline constexpr std::int32_t vbDefaultButton1 = 0;
inline constexpr std::int32_t vbDefaultButton2 = 256;
inline constexpr std::int32_t vbDefaultButton3 = 512;
// Text flags
inline constexpr std::int32_t vbMsgBoxRight = 0x80000;
inline constexpr std::int32_t vbMsgBoxRtlReading = 0x100000;
// Answers
inline constexpr std::int16_t vbOK = 1;
inline constexpr std::int16_t vbCancel = 2;
inline constexpr std::int16_t vbAbort = 3;
inline constexpr std::int16_t vbRetry = 4;
inline constexpr std::int16_t vbIgnore = 5;
inline constexpr std::int16_t vbYes = 6;
inline constexpr std::int16_t vbNo = 7;

struct MessageBoxRequest {
    std::string prompt;
    std::int32_t style = 0;
    std::string title;
};

// Parts of a style word.
std::int32_t buttonsOf(std::int32_t style);     // 0..5
std::int32_t iconOf(std::int32_t style);        // 0, 16, 32, 48, 64
// Answers of the box's buttons in order, e.g. {6, 7, 2} for vbYesNoCancel.
std::vector<std::int16_t> answersOf(std::int32_t style);
// Answer of the default button (the first when the style names a button
// the box does not have).
std::int16_t defaultAnswerOf(std::int32_t style);

class MsgBoxService {
public:
    virtual ~MsgBoxService() = default;
    virtual std::int16_t show(const MessageBoxRequest& request) = 0;
};

// Shows a message box; the title defaults to the application title.
std::int16_t MsgBox(std::string_view prompt, std::int32_t style = vbOKOnly);
std::int16_t MsgBox(std::string_view prompt, std::int32_t style, std::string_view title);

// Installs the service (nullptr: none); returns the previous one.
// Whether a message-box service is installed (none: a host that installed
// no display services, or a test that scripts none).
bool msgBoxServiceInstalled();
std::shared_ptr<MsgBoxService> setMsgBoxService(std::shared_ptr<MsgBoxService> service);

// A box nobody answers: no service installed, no scripted answer left, or
// a scripted answer that is none of the box's buttons.
class MsgBoxError : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// The test service: answers from a queue and records every box.
class ScriptedMsgBox : public MsgBoxService {
public:
    // Queues answers for the next boxes, in order.
    void answer(std::int16_t result) { answers_.push_back(result); }
    std::int16_t show(const MessageBoxRequest& request) override;

    const std::vector<MessageBoxRequest>& boxes() const { return boxes_; }
    std::size_t pendingAnswers() const { return answers_.size(); }
    // Boxes shown without an answer (each also threw MsgBoxError).
    int unanswered() const { return unanswered_; }

private:
    std::deque<std::int16_t> answers_;
    std::vector<MessageBoxRequest> boxes_;
    int unanswered_ = 0;
};

// Installs a ScriptedMsgBox for a scope.
class ScopedMsgBox {
public:
    ScopedMsgBox();
    ~ScopedMsgBox();
    ScopedMsgBox(const ScopedMsgBox&) = delete;
    ScopedMsgBox& operator=(const ScopedMsgBox&) = delete;
    ScriptedMsgBox& operator*() const { return *script_; }
    ScriptedMsgBox* operator->() const { return script_.get(); }

private:
    std::shared_ptr<ScriptedMsgBox> script_;
    std::shared_ptr<MsgBoxService> previous_;
};

}  // namespace forms
