#include "platform/forms/form.h"

#include <algorithm>
#include <stdexcept>

#include "platform/forms/display.h"
#include "platform/forms/layer.h"
#include "platform/forms/screen.h"
#include "platform/forms/win.h"
#include "platform/runtime/errors.h"

namespace forms {

namespace {

constexpr std::int32_t kDefaultFormWidth = 4800;
constexpr std::int32_t kDefaultFormHeight = 3600;

}  // namespace

Form::Form(std::string name) : name_(std::move(name)) { resetProperties(); }

Form::Form(std::string name, std::function<void(Form&)> design)
    : name_(std::move(name)), designFunction_(std::move(design)) {
    resetProperties();
}

Form::~Form() {
    if (loaded_) {
        teardown();
    }
    std::erase(detail::layer().loadedForms, this);
}

void Form::design() {
    if (designFunction_) designFunction_(*this);
}

// Lifecycle

void Form::ensureLoaded() {
    if (!loaded_ && !loading_) Load();
}

void Form::resetProperties() {
    caption_ = name_;
    left_ = 0;
    top_ = 0;
    width_ = kDefaultFormWidth;
    height_ = kDefaultFormHeight;
    windowState_ = vbNormal;
    visible_ = false;
    enabled_ = true;
    font_ = StdFont{};
    rightToLeft_ = false;
    backColor_ = vbButtonFace;
    tag_.clear();
    keyPreview_ = false;
    borderStyle_ = 2;
    activeControl_ = nullptr;
    nextZSerial_ = 0;
    frontZSerial_ = 0;
    style_ = 0;
    exStyle_ = 0;
}

void Form::Load() {
    if (loaded_ || loading_) return;
    loading_ = true;
    resetProperties();
    loaded_ = true;
    handle_ = detail::allocateHandle(this, nullptr);
    detail::formLoaded(this);
    try {
        design();
    } catch (...) {
        loading_ = false;
        teardown();
        throw;
    }
    layoutAligned();
    loading_ = false;
    EventArgs args;
    raise(Event::Load, args);
}

void Form::teardown() {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        for (FormObserver* o : std::vector<FormObserver*>(observers_)) o->controlRemoved(**it);
        detail::releaseHandle((*it)->handle_);
    }
    activeControl_ = nullptr;
    controls_.clear();
    byName_.clear();
    detail::releaseHandle(handle_);
    handle_ = 0;
    loaded_ = false;
    visible_ = false;
    detail::formUnloaded(this);
    display().formUnloaded(*this);
}

bool Form::runUnload(std::int16_t unloadMode) {
    if (!loaded_) return true;
    EventArgs query;
    query.UnloadMode = unloadMode;
    raise(Event::QueryUnload, query);
    if (query.Cancel != 0) return false;
    if (!loaded_) return true;
    EventArgs unload;
    raise(Event::Unload, unload);
    if (unload.Cancel != 0) return false;
    if (!loaded_) return true;
    if (visible_) {
        visible_ = false;
        notify(Prop::Visible);
        display().formHidden(*this);
    }
    teardown();
    return true;
}

bool Form::Unload() { return runUnload(vbFormCode); }

bool Form::closeByUser() { return runUnload(vbFormControlMenu); }

void Form::unloadWithoutEvents() {
    if (!loaded_) return;
    if (visible_) {
        visible_ = false;
        notify(Prop::Visible);
        display().formHidden(*this);
    }
    teardown();
}

void Form::Show(std::int16_t modal) {
    ensureLoaded();
    if (!loaded_) rt::raise(364, "Object was unloaded");
    detail::Layer& l = detail::layer();
    if (modal == vbModeless) {
        if (!visible_ && !l.modalStack.empty() && l.modalStack.back() != this) {
            rt::raise(401, "Can't show non-modal form when modal form is displayed");
        }
        if (!visible_) {
            visible_ = true;
            notify(Prop::Visible);
            l.activeForm = this;
            focusFirstControl();
            display().formShown(*this);
            EventArgs args;
            raise(Event::Activate, args);
        } else {
            l.activeForm = this;
        }
        return;
    }
    if (visible_) rt::raise(400, "Form already displayed; can't show modally");
    Form* previousActive = l.activeForm;
    ++modalDepth_;
    l.modalStack.push_back(this);
    auto finish = [&] {
        --modalDepth_;
        auto it = std::find(l.modalStack.rbegin(), l.modalStack.rend(), this);
        if (it != l.modalStack.rend()) l.modalStack.erase(std::next(it).base());
        if (l.activeForm == this || l.activeForm == nullptr) {
            if (!l.modalStack.empty()) {
                l.activeForm = l.modalStack.back();
            } else if (previousActive != nullptr &&
                       std::find(l.loadedForms.begin(), l.loadedForms.end(), previousActive) != l.loadedForms.end() &&
                       previousActive->visible_) {
                l.activeForm = previousActive;
            } else {
                l.activeForm = nullptr;
            }
        }
    };
    try {
        visible_ = true;
        notify(Prop::Visible);
        l.activeForm = this;
        focusFirstControl();
        display().formShown(*this);
        EventArgs args;
        raise(Event::Activate, args);
        if (loaded_ && visible_) display().runModal(*this);
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void Form::Hide() {
    ensureLoaded();
    if (!visible_) return;
    visible_ = false;
    notify(Prop::Visible);
    detail::Layer& l = detail::layer();
    if (l.activeForm == this) l.activeForm = nullptr;
    display().formHidden(*this);
}

// Properties

const std::string& Form::Caption() {
    ensureLoaded();
    return caption_;
}

void Form::Caption(const std::string& value) {
    ensureLoaded();
    if (caption_ == value) return;
    caption_ = value;
    notify(Prop::Caption);
}

void Form::checkMovable() {
    if (windowState_ != vbNormal) {
        rt::raise(384, "A form can't be moved or sized while minimized or maximized");
    }
}

namespace {
constexpr std::int32_t frameTwips() { return 4 * kTwipsPerPixel; }
}  // namespace

std::int32_t Form::Left() {
    ensureLoaded();
    return windowState_ == vbMaximized ? -frameTwips() : left_;
}

void Form::Left(std::int32_t value) { Move(value, Top(), width_, height_); }

std::int32_t Form::Top() {
    ensureLoaded();
    return windowState_ == vbMaximized ? -frameTwips() : top_;
}

void Form::Top(std::int32_t value) { Move(Left(), value, width_, height_); }

std::int32_t Form::Width() {
    ensureLoaded();
    return windowState_ == vbMaximized ? screen().Width() + 2 * frameTwips() : width_;
}

void Form::Width(std::int32_t value) { Move(Left(), Top(), value, height_); }

std::int32_t Form::Height() {
    ensureLoaded();
    return windowState_ == vbMaximized ? screen().Height() + 2 * frameTwips() : height_;
}

void Form::Height(std::int32_t value) { Move(Left(), Top(), Width(), value); }

void Form::Move(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
    ensureLoaded();
    checkMovable();
    if (width < 0 || height < 0) rt::raise(380, "Invalid property value");
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    bool resized = width != width_ || height != height_;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    notify(Prop::Geometry);
    if (resized) layoutAligned();
}

std::int32_t Form::ScaleWidth() {
    std::int32_t border = borderStyle_ == 0 ? 0 : 2 * win::GetSystemMetrics(win::SM_CXFRAME) * kTwipsPerPixel;
    return std::max(0, Width() - border);
}

std::int32_t Form::ScaleHeight() {
    std::int32_t border =
        borderStyle_ == 0
            ? 0
            : (2 * win::GetSystemMetrics(win::SM_CYFRAME) + win::GetSystemMetrics(win::SM_CYCAPTION)) * kTwipsPerPixel;
    return std::max(0, Height() - border);
}

std::int16_t Form::WindowState() {
    ensureLoaded();
    return windowState_;
}

void Form::WindowState(std::int16_t value) {
    ensureLoaded();
    if (value < vbNormal || value > vbMaximized) rt::raise(380, "Invalid property value");
    if (windowState_ == value) return;
    windowState_ = value;
    notify(Prop::WindowState);
    layoutAligned();
}

bool Form::Visible() {
    ensureLoaded();
    return visible_;
}

void Form::Visible(bool value) {
    if (value) {
        Show(vbModeless);
    } else {
        Hide();
    }
}

bool Form::Enabled() {
    ensureLoaded();
    return enabled_;
}

void Form::Enabled(bool value) {
    ensureLoaded();
    if (enabled_ == value) return;
    enabled_ = value;
    notify(Prop::Enabled);
}

const StdFont& Form::Font() {
    ensureLoaded();
    return font_;
}

void Form::Font(const StdFont& value) {
    ensureLoaded();
    if (value.Size <= 0) rt::raise(380, "Invalid property value");
    if (font_ == value) return;
    font_ = value;
    notify(Prop::Font);
}

bool Form::RightToLeft() {
    ensureLoaded();
    return rightToLeft_;
}

void Form::RightToLeft(bool value) {
    ensureLoaded();
    if (rightToLeft_ == value) return;
    rightToLeft_ = value;
    notify(Prop::RightToLeft);
}

std::int32_t Form::BackColor() {
    ensureLoaded();
    return backColor_;
}

void Form::BackColor(std::int32_t value) {
    ensureLoaded();
    if (backColor_ == value) return;
    backColor_ = value;
    notify(Prop::Colors);
}

const std::string& Form::Tag() {
    ensureLoaded();
    return tag_;
}

void Form::Tag(const std::string& value) {
    ensureLoaded();
    tag_ = value;
}

bool Form::KeyPreview() {
    ensureLoaded();
    return keyPreview_;
}

void Form::KeyPreview(bool value) {
    ensureLoaded();
    keyPreview_ = value;
}

std::int16_t Form::BorderStyle() {
    ensureLoaded();
    return borderStyle_;
}

void Form::BorderStyle(std::int16_t value) {
    ensureLoaded();
    if (value != 0 && value != 2 && value != 3) rt::raise(380, "Invalid property value");
    if (borderStyle_ == value) return;
    borderStyle_ = value;
    notify(Prop::Appearance);
    layoutAligned();
}

std::int32_t Form::hWnd() {
    ensureLoaded();
    return handle_;
}

void Form::Refresh() {
    ensureLoaded();
    ++refreshCount_;
    notify(Prop::Refresh);
}

std::int32_t Form::TextWidth(std::string_view text) {
    const StdFont& font = Font();
    std::int32_t widest = 0;
    for (std::string_view line : detail::splitLines(text)) {
        widest = std::max(widest, display().measureText(font, line).width);
    }
    return widest;
}

std::int32_t Form::TextHeight(std::string_view text) {
    const StdFont& font = Font();
    std::int32_t lineHeight = display().measureText(font, "Ag").height;
    return lineHeight * static_cast<std::int32_t>(detail::splitLines(text).size());
}

// Controls

std::vector<Control*> Form::Controls() {
    ensureLoaded();
    std::vector<Control*> out;
    out.reserve(controls_.size());
    for (auto& c : controls_) out.push_back(c.get());
    return out;
}

std::vector<Control*>& Form::namedList(std::string_view name) {
    ensureLoaded();
    auto it = byName_.find(detail::lower(name));
    if (it == byName_.end() || it->second.empty()) {
        rt::raise(730, "Control '" + std::string(name) + "' not found");
    }
    return it->second;
}

Control& Form::control(std::string_view name) {
    std::vector<Control*>& list = namedList(name);
    if (list.front()->isArrayElement()) {
        rt::raise(343, "'" + std::string(name) + "' is a control array: give an element index");
    }
    return *list.front();
}

Control& Form::control(std::string_view name, std::int16_t index) {
    std::vector<Control*>& list = namedList(name);
    if (!list.front()->isArrayElement()) rt::raise(343, "Object not an array");
    for (Control* c : list) {
        if (c->index_ == index) return *c;
    }
    rt::raise(340, "Control array element '" + std::to_string(index) + "' doesn't exist");
}

Control* Form::find(std::string_view name, std::int16_t index) {
    ensureLoaded();
    auto it = byName_.find(detail::lower(name));
    if (it == byName_.end()) return nullptr;
    for (Control* c : it->second) {
        if (c->index_ == index) return c;
    }
    return nullptr;
}

std::vector<std::int16_t> Form::arrayIndexes(std::string_view name) {
    ensureLoaded();
    std::vector<std::int16_t> out;
    auto it = byName_.find(detail::lower(name));
    if (it == byName_.end()) return out;
    for (Control* c : it->second) {
        if (c->isArrayElement()) out.push_back(c->index_);
    }
    return out;
}

Control& Form::createControl(Kind kind, const std::string& name, std::int16_t index, Control* container,
                             bool designTime) {
    if (container != nullptr &&
        (&container->Parent() != this || (container->kind() != Kind::Frame && container->kind() != Kind::PictureBox))) {
        throw std::invalid_argument("container of " + name + " must be a frame or picture box of " + name_);
    }
    auto control = std::unique_ptr<Control>(new Control(*this, kind, name, index));
    Control& c = *control;
    c.designTime_ = designTime;
    c.container_ = container;
    c.zSerial_ = nextZSerial_++;
    bool hasTab = kind != Kind::Image && kind != Kind::Shape && kind != Kind::Line;
    if (hasTab) {
        std::int16_t count = 0;
        for (auto& other : controls_) {
            if (other->kind() != Kind::Image && other->kind() != Kind::Shape && other->kind() != Kind::Line) ++count;
        }
        c.tabIndex_ = count;
    }
    if (c.windowed()) c.handle_ = detail::allocateHandle(this, &c);
    controls_.push_back(std::move(control));
    std::vector<Control*>& list = byName_[detail::lower(name)];
    auto pos = std::find_if(list.begin(), list.end(), [&](Control* o) { return o->index_ > index; });
    list.insert(pos, &c);
    for (FormObserver* o : std::vector<FormObserver*>(observers_)) o->controlAdded(c);
    return c;
}

Control& Form::add(Kind kind, const std::string& name, std::int16_t index, Control* container) {
    ensureLoaded();
    if (name.empty()) throw std::invalid_argument("a control of " + name_ + " needs a name");
    if (index < -1) throw std::invalid_argument("control array index of " + name + " must not be negative");
    auto it = byName_.find(detail::lower(name));
    if (it != byName_.end() && !it->second.empty()) {
        const Control& first = *it->second.front();
        if (index < 0 || !first.isArrayElement()) {
            throw std::invalid_argument(name_ + " already has a control named " + name);
        }
        if (first.kind() != kind) throw std::invalid_argument("elements of " + name + " must be of one kind");
        if (find(name, index) != nullptr) {
            throw std::invalid_argument(name + "(" + std::to_string(index) + ") exists already in " + name_);
        }
    }
    Control& c = createControl(kind, name, index, container, loading_);
    if (c.kind() == Kind::StatusBar) layoutAligned();
    return c;
}

Control& Form::LoadControl(std::string_view name, std::int16_t index) {
    std::vector<Control*>& list = namedList(name);
    if (!list.front()->isArrayElement()) rt::raise(343, "Object not an array");
    if (index < 0) rt::raise(340, "Control array element '" + std::to_string(index) + "' doesn't exist");
    if (find(name, index) != nullptr) rt::raise(360, "Object already loaded");
    const Control& model = *list.front();
    Control& c = createControl(model.kind(), model.Name(), index, model.container_, false);
    c.copyPropertiesFrom(model);
    c.visible_ = false;
    notifyControl(c, Prop::Geometry);
    notifyControl(c, Prop::Visible);
    return c;
}

void Form::UnloadControl(std::string_view name, std::int16_t index) {
    Control& c = control(name, index);
    if (c.designTime_) rt::raise(362, "Can't unload controls created at design time");
    for (auto& other : controls_) {
        if (other->container_ == &c) rt::raise(5, "Unload the controls inside " + c.Name() + " first");
    }
    if (activeControl_ == &c) activeControl_ = nullptr;
    for (FormObserver* o : std::vector<FormObserver*>(observers_)) o->controlRemoved(c);
    detail::releaseHandle(c.handle_);
    std::erase(byName_[detail::lower(name)], &c);
    std::erase_if(controls_, [&](const std::unique_ptr<Control>& p) { return p.get() == &c; });
}

// Focus and tab order

void Form::setActiveControl(Control* target) {
    if (target == activeControl_) return;
    Control* old = activeControl_;
    activeControl_ = target;
    if (old != nullptr) {
        old->commitEntry();  // a spreadsheet keeps what was typed into it
        EventArgs args;
        raise(*old, Event::LostFocus, args);
        notifyControl(*old, Prop::Focus);
    }
    if (target != nullptr && activeControl_ == target) {
        detail::layer().activeForm = this;
        EventArgs args;
        raise(*target, Event::GotFocus, args);
        notifyControl(*target, Prop::Focus);
    }
}

void Form::focusFirstControl() {
    if (activeControl_ != nullptr && activeControl_->canTakeFocus()) return;
    Control* first = nullptr;
    for (auto& c : controls_) {
        if (c->isTabStop() && (first == nullptr || c->tabIndex_ < first->tabIndex_)) first = c.get();
    }
    if (first != nullptr) setActiveControl(first);
}

void Form::renumberTabs(Control* moved, std::int16_t position) {
    std::vector<Control*> order;
    for (auto& c : controls_) {
        if (c.get() != moved && c->kind() != Kind::Image && c->kind() != Kind::Shape && c->kind() != Kind::Line) {
            order.push_back(c.get());
        }
    }
    std::stable_sort(order.begin(), order.end(), [](Control* a, Control* b) { return a->tabIndex_ < b->tabIndex_; });
    std::size_t at = std::min<std::size_t>(static_cast<std::size_t>(position), order.size());
    order.insert(order.begin() + static_cast<std::ptrdiff_t>(at), moved);
    for (std::size_t i = 0; i < order.size(); ++i) order[i]->tabIndex_ = static_cast<std::int16_t>(i);
    notifyControl(*moved, Prop::Appearance);
}

// Aligned controls span the client width at the top or bottom edge.
void Form::layoutAligned() {
    if (!loaded_) return;
    std::int32_t width = ScaleWidth();
    std::int32_t topEdge = 0;
    std::int32_t bottomEdge = ScaleHeight();
    for (auto& c : controls_) {
        if (c->container_ != nullptr || (c->kind() != Kind::StatusBar && c->kind() != Kind::PictureBox)) continue;
        if (c->align_ == 1) {
            c->Move(0, topEdge, width, c->height_);
            topEdge += c->height_;
        } else if (c->align_ == 2) {
            bottomEdge -= c->height_;
            c->Move(0, bottomEdge, width, c->height_);
        }
    }
}

// Events

void Form::on(std::string_view control, Event event, Handler handler) {
    handlers_[detail::lower(control)][event] = std::move(handler);
}

void Form::on(std::string_view control, Event event, std::function<void()> handler) {
    on(control, event, Handler([h = std::move(handler)](EventArgs&) { h(); }));
}

void Form::on(std::string_view control, Event event, std::function<void(std::int16_t)> handler) {
    on(control, event, Handler([h = std::move(handler)](EventArgs& e) { h(e.Index); }));
}

void Form::on(Event event, Handler handler) { handlers_[""][event] = std::move(handler); }

void Form::on(Event event, std::function<void()> handler) {
    on(event, Handler([h = std::move(handler)](EventArgs&) { h(); }));
}

void Form::raise(Control& control, Event event, EventArgs& args) {
    args.Index = control.Index();
    auto it = handlers_.find(detail::lower(control.Name()));
    if (it == handlers_.end()) return;
    auto h = it->second.find(event);
    if (h == it->second.end()) return;
    Handler handler = h->second;  // the handler may replace itself
    handler(args);
}

void Form::raise(Event event, EventArgs& args) {
    auto it = handlers_.find("");
    if (it == handlers_.end()) return;
    auto h = it->second.find(event);
    if (h == it->second.end()) return;
    Handler handler = h->second;
    handler(args);
}

// Observers

void Form::addObserver(FormObserver* observer) {
    if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) observers_.push_back(observer);
}

void Form::removeObserver(FormObserver* observer) { std::erase(observers_, observer); }

void Form::notify(Prop prop) {
    for (FormObserver* o : std::vector<FormObserver*>(observers_)) o->formChanged(*this, prop);
}

void Form::notifyControl(Control& control, Prop prop) {
    for (FormObserver* o : std::vector<FormObserver*>(observers_)) o->controlChanged(control, prop);
}

std::int32_t Form::containerHandle(const Control& control) {
    return control.Container() != nullptr ? control.Container()->handle_ : handle_;
}

// Control arrays

std::int16_t ControlArrayRef::LBound() const {
    auto indexes = form_->arrayIndexes(name_);
    if (indexes.empty()) rt::raise(340, "Control array element '0' doesn't exist");
    return indexes.front();
}

std::int16_t ControlArrayRef::UBound() const {
    auto indexes = form_->arrayIndexes(name_);
    if (indexes.empty()) rt::raise(340, "Control array element '0' doesn't exist");
    return indexes.back();
}

std::int16_t ControlArrayRef::Count() const { return static_cast<std::int16_t>(form_->arrayIndexes(name_).size()); }

std::vector<Form*> loadedForms() { return detail::layer().loadedForms; }

}  // namespace forms
