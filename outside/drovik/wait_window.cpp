#include "outside/drovik/wait_window.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "outside/quillon/language_text.h"
#include "platform/forms/control.h"
#include "platform/forms/display.h"
#include "platform/forms/form.h"
#include "platform/forms/screen.h"
#include "platform/runtime/errors.h"

namespace drovik {

// Everything of one window lives here, apart from the object, so that Show
// can finish when the owner drops the object while its event runs.
struct ClsWaitWindow::State {
    std::string title;
    std::string status;
    std::int32_t max = 0;
    std::int32_t value = 0;
    std::int32_t updates = 0;
    bool shown = false;
    bool stop = false;
    // The share done the window shows, and when it last let events in.
    std::int64_t shownPercent = -1;
    std::chrono::steady_clock::time_point lastEvents{};
    std::unique_ptr<forms::Form> form;
    // Forms this window disabled while it is up.
    std::vector<forms::Form*> disabledForms;
};

namespace {

using State = ClsWaitWindow::State;

std::int32_t stopCountdown = 0;

// Window layout, twips: the client area and the frame around it.
constexpr std::int32_t kClientWidth = 5400;
constexpr std::int32_t kWidth = kClientWidth + 2 * 4 * forms::kTwipsPerPixel;
constexpr std::int32_t kHeight = 2370;
constexpr std::int32_t kMargin = 120;
constexpr std::int32_t kInnerWidth = kClientWidth - 2 * kMargin;
constexpr std::int32_t kPercentWidth = 720;

// The share of the loop done, as the window shows it beside the bar.
std::int64_t percentOf(const State& state) {
    if (state.max <= 0) return 0;
    return std::clamp<std::int64_t>(std::int64_t{state.value} * 100 / state.max, 0, 100);
}

std::string percentText(const State& state) { return std::to_string(percentOf(state)) + " %"; }

// How often a long loop lets the window's events in (a click on Stop) when
// the share done does not change.
constexpr std::chrono::milliseconds kEventInterval{20};

// The window's caption: the program's name; the title the operation gives
// heads the window inside.
std::string captionOf(const State& state) {
    return forms::app().Title.empty() ? state.title : forms::app().Title;
}

bool viewInstalled() { return dynamic_cast<forms::HeadlessDisplay*>(&forms::display()) == nullptr; }

bool modalFormUp() {
    const std::vector<forms::Form*> forms = forms::loadedForms();
    return std::any_of(forms.begin(), forms.end(), [](forms::Form* f) { return f->showingModal(); });
}

bool stillLoaded(forms::Form* form) {
    const std::vector<forms::Form*> forms = forms::loadedForms();
    return std::find(forms.begin(), forms.end(), form) != forms.end();
}

// The window's form while it is up; nullptr headless, and once something
// else (the end of the program) has unloaded it.
forms::Form* liveForm(const State& state) {
    return state.form && state.form->loaded() ? state.form.get() : nullptr;
}

void showProgress(State& state) {
    forms::Form* form = liveForm(state);
    if (!form) return;
    forms::Control& bar = form->control("prgProgress");
    bar.Value(std::min(state.value, bar.Max()));
    form->control("lblPercent").Caption(percentText(state));
    state.shownPercent = percentOf(state);
}

// A right-to-left interface language: every control reflected in the
// window's width, texts aligned to the right and read right to left.
void mirror(forms::Form& f) {
    f.RightToLeft(true);
    for (forms::Control* control : f.Controls()) {
        control->Left(kClientWidth - control->Left() - control->Width());
        if (control->kind() != forms::Kind::ProgressBar) control->RightToLeft(true);
        if (control->kind() == forms::Kind::Label) control->Alignment(1);
    }
}

std::unique_ptr<forms::Form> makeForm(State& state) {
    auto form = std::make_unique<forms::Form>("frmWaitWindow", [&state](forms::Form& f) {
        // The texts of the interface language the user chose.
        const quillon::ClsLanguageText texts;
        f.BorderStyle(3);
        f.Caption(captionOf(state));
        f.Move((forms::screen().Width() - kWidth) / 2, (forms::screen().Height() - kHeight) / 2,
               kWidth, kHeight);
        forms::Control& heading = f.addControl(forms::Kind::Label, "lblTitle");
        heading.Move(kMargin, kMargin, kInnerWidth, 285);
        heading.FontBold(true);
        heading.Caption(state.title);
        forms::Control& status = f.addControl(forms::Kind::Label, "lblStatus");
        status.Move(kMargin, 465, kInnerWidth, 480);
        status.Caption(state.status);
        forms::Control& bar = f.addControl(forms::Kind::ProgressBar, "prgProgress");
        bar.Move(kMargin, 1035, kInnerWidth - kPercentWidth - kMargin, 255);
        bar.Min(0);
        bar.Max(std::max(state.max, 1));
        forms::Control& percent = f.addControl(forms::Kind::Label, "lblPercent");
        percent.Move(kClientWidth - kMargin - kPercentWidth, 1035, kPercentWidth, 255);
        percent.Alignment(1);
        percent.Caption(percentText(state));
        forms::Control& stop = f.addControl(forms::Kind::CommandButton, "cmdStop");
        stop.Move((kClientWidth - 1215) / 2, 1440, 1215, 375);
        stop.Caption(texts.GetText(quillon::TextNo(7)));
        stop.Cancel(true);
        if (texts.IsRightToLeft()) mirror(f);
    });
    form->on("cmdStop", forms::Event::Click, [&state] { state.stop = true; });
    // The close box asks to stop; the window itself stays until the
    // operation closes it.
    form->on(forms::Event::QueryUnload, [&state](forms::EventArgs& args) {
        if (args.UnloadMode == forms::vbFormControlMenu) {
            args.Cancel = 1;
            state.stop = true;
        }
    });
    return form;
}

// Shows the window over the other forms, which it disables meanwhile.
void putUp(State& state) {
    if (!viewInstalled() || modalFormUp()) return;  // headless: no window
    for (forms::Form* other : forms::loadedForms()) {
        if (other->Visible() && other->Enabled()) {
            other->Enabled(false);
            state.disabledForms.push_back(other);
        }
    }
    state.form = makeForm(state);
    state.form->Show(forms::vbModeless);
    showProgress(state);
    forms::doEvents();
    state.lastEvents = std::chrono::steady_clock::now();
}

void takeDown(State& state) {
    if (!state.shown) return;
    state.shown = false;
    std::unique_ptr<forms::Form> form = std::move(state.form);
    if (form && form->loaded()) form->Unload();
    for (forms::Form* other : state.disabledForms)
        if (stillLoaded(other)) other->Enabled(true);
    state.disabledForms.clear();
}

}  // namespace

ClsWaitWindow::ClsWaitWindow() : state_(std::make_shared<State>()) {}

ClsWaitWindow::~ClsWaitWindow() = default;

void ClsWaitWindow::Show() {
    const std::shared_ptr<State> state = state_;  // outlives *this if the event drops it
    if (state->shown) rt::raise(400, "The wait window is already shown");
    const std::function<void()> handler = onRunWaitMessage;
    state->shown = true;
    try {
        putUp(*state);
        if (handler) handler();
    } catch (...) {
        takeDown(*state);
        throw;
    }
    takeDown(*state);
}

void ClsWaitWindow::Close() { takeDown(*state_); }

void ClsWaitWindow::StatusText(const std::string& text) {
    state_->status = text;
    if (forms::Form* form = liveForm(*state_)) form->control("lblStatus").Caption(text);
}

void ClsWaitWindow::ProgressMax(std::int32_t steps) {
    state_->max = steps;
    state_->value = 0;
    if (forms::Form* form = liveForm(*state_)) {
        forms::Control& bar = form->control("prgProgress");
        bar.Value(0);
        bar.Max(std::max(steps, 1));
        form->control("lblPercent").Caption(percentText(*state_));
        state_->shownPercent = percentOf(*state_);
    }
}

void ClsWaitWindow::UpdateProgress(bool advance, bool& cancelled) {
    const std::shared_ptr<State> state = state_;
    ++state->updates;
    if (advance) ++state->value;
    if (stopCountdown > 0 && --stopCountdown == 0) state->stop = true;
    if (liveForm(*state)) {
        // Repainted when the share done changes, and a click on Stop let in
        // at least every few hundredths of a second: a call to the window
        // system on every step of a loop of many thousand steps would take
        // far longer than the loop.
        const auto now = std::chrono::steady_clock::now();
        if (percentOf(*state) != state->shownPercent || now - state->lastEvents >= kEventInterval) {
            showProgress(*state);
            forms::doEvents();
            state->lastEvents = now;
        }
    }
    cancelled = state->stop;
}

void ClsWaitWindow::Title(const std::string& text) {
    state_->title = text;
    if (forms::Form* form = liveForm(*state_)) {
        form->Caption(captionOf(*state_));
        form->control("lblTitle").Caption(text);
    }
}

void ClsWaitWindow::requestStop() { state_->stop = true; }

const std::string& ClsWaitWindow::statusText() const { return state_->status; }
const std::string& ClsWaitWindow::title() const { return state_->title; }
std::int32_t ClsWaitWindow::progressMax() const { return state_->max; }
std::int32_t ClsWaitWindow::progressValue() const { return state_->value; }
std::int32_t ClsWaitWindow::updateCount() const { return state_->updates; }
bool ClsWaitWindow::isShown() const { return state_->shown; }
bool ClsWaitWindow::stopRequested() const { return state_->stop; }
forms::Form* ClsWaitWindow::windowForm() const { return liveForm(*state_); }

void ClsWaitWindow::stopAfterUpdates(std::int32_t calls) { stopCountdown = std::max(calls, 0); }

std::int32_t ClsWaitWindow::updatesBeforeStop() { return stopCountdown; }

}  // namespace drovik
