// A form: a window model holding its controls in creation order (the
// Controls collection), control arrays by index, its own properties in
// twips, its event handlers and its lifecycle (Load, Show, Hide, Unload).
//
// Writing a form:
//
//   class frmWizard : public forms::Form {
//   public:
//       frmWizard() : Form("frmWizard") {
//           on("cmdNav", forms::Event::Click, [this](std::int16_t i) { cmdNav_Click(i); });
//           on(forms::Event::Load, [this] { Form_Load(); });
//       }
//       forms::ControlArrayRef cmdNav{this, "cmdNav"};
//       forms::ControlRef TxtProject{this, "TxtProject"};
//   protected:
//       void design() override;      // creates the controls as designed
//   private:
//       void cmdNav_Click(std::int16_t Index);
//       void Form_Load();
//   };
//
// design() runs at every Load: it sets the form's own design properties and
// adds the controls with add(). Unload destroys the controls, so the next
// Load starts again from the design (runtime-loaded array elements are gone).
// Handlers are connected once, in the constructor, by control name; they
// serve every element of an array, also elements loaded later.
//
// The form is loaded on Load(), Show(), or the first access to a control
// through a ControlRef/ControlArrayRef or control(), or to a form property
// (outside design()). Loading allocates the window handles and raises
// Form_Load.
//
// Show(vbModal) returns when the form is hidden or unloaded: in the program
// a nested event loop runs; headless, the modal driver registered by the
// test runs (display.h). Show raises Activate once the form is displayed,
// before a modal form's loop: a window that runs work while it is up (a wait
// window) does it there, and hiding the form there ends Show at once, with
// no loop and no driver.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms/control.h"
#include "platform/forms/types.h"

namespace forms {

class Form;

// Receives the changes of a form and its controls (the Qt view).
class FormObserver {
public:
    virtual ~FormObserver() = default;
    virtual void controlAdded(Control&) {}
    // Called before the control is destroyed.
    virtual void controlRemoved(Control&) {}
    virtual void controlChanged(Control&, Prop) {}
    virtual void formChanged(Form&, Prop) {}
};

using Handler = std::function<void(EventArgs&)>;

class Form {
public:
    explicit Form(std::string name);
    // A form whose design is the given function (tests and small generic
    // forms); it runs at every Load like design().
    Form(std::string name, std::function<void(Form&)> design);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const std::string& Name() const { return name_; }

    // Lifecycle
    void Load();
    // Raises QueryUnload (UnloadMode vbFormCode) and Unload; false when a
    // handler cancelled. Unloading an unloaded form does nothing.
    bool Unload();
    // Unload requested by the user's close box (UnloadMode vbFormControlMenu).
    bool closeByUser();
    // Unloads without QueryUnload and Unload (the end of the program).
    void unloadWithoutEvents();
    void Show(std::int16_t modal = vbModeless);
    void Hide();
    bool loaded() const { return loaded_; }
    // True while Show(vbModal) of this form runs.
    bool showingModal() const { return modalDepth_ > 0; }

    // Properties. Width and Height are the outer size of the window;
    // ScaleWidth and ScaleHeight its client area.
    const std::string& Caption();
    void Caption(const std::string& value);
    // Moving or sizing a minimised or maximised form raises error 384.
    std::int32_t Left();
    void Left(std::int32_t value);
    std::int32_t Top();
    void Top(std::int32_t value);
    std::int32_t Width();
    void Width(std::int32_t value);
    std::int32_t Height();
    void Height(std::int32_t value);
    void Move(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height);
    std::int32_t ScaleWidth();
    std::int32_t ScaleHeight();
    std::int16_t WindowState();
    void WindowState(std::int16_t value);
    bool Visible();
    // Visible true shows the form modeless, false hides it.
    void Visible(bool value);
    bool Enabled();
    void Enabled(bool value);
    const StdFont& Font();
    void Font(const StdFont& value);
    bool RightToLeft();
    void RightToLeft(bool value);
    std::int32_t BackColor();
    void BackColor(std::int32_t value);
    const std::string& Tag();
    void Tag(const std::string& value);
    // With KeyPreview the form sees KeyDown, KeyPress and KeyUp before its
    // controls.
    bool KeyPreview();
    void KeyPreview(bool value);
    // 0 none (no frame, no caption bar), 2 sizable, 3 fixed dialog.
    std::int16_t BorderStyle();
    void BorderStyle(std::int16_t value);
    std::int32_t hWnd();
    void Refresh();
    // Number of Refresh calls since the form was created (for tests).
    int refreshCount() const { return refreshCount_; }

    // Extent of a text in the form's font, twips; lines end at CR, LF or
    // CR LF (height: all lines, width: the widest).
    std::int32_t TextWidth(std::string_view text);
    std::int32_t TextHeight(std::string_view text);

    // The control that has the keyboard focus, nullptr when none.
    Control* ActiveControl() const { return activeControl_; }
    // Moves the focus (LostFocus of the old control, GotFocus of the new)
    // without the checks of SetFocus; nullptr takes it away. For the input
    // layer and views.
    void setActiveControl(Control* target);

    // Controls in creation order (runtime-loaded elements at the end).
    std::vector<Control*> Controls();
    // A control by name (case-insensitive), error 730 when there is none
    // and error 343 when the name is a control array.
    Control& control(std::string_view name);
    // An element of a control array; error 340 when it does not exist.
    Control& control(std::string_view name, std::int16_t index);
    // Like control() but nullptr when absent; index -1 for a plain control.
    Control* find(std::string_view name, std::int16_t index = -1);
    // Indexes of an array's loaded elements, ascending (empty when none).
    std::vector<std::int16_t> arrayIndexes(std::string_view name);
    // Loads a new element of a control array at run time as a copy of the
    // array's lowest element, hidden (error 360 when it exists already).
    Control& LoadControl(std::string_view name, std::int16_t index);
    // Unloads an element loaded at run time (error 362 for design elements).
    void UnloadControl(std::string_view name, std::int16_t index);

    // Handlers, by control name (all elements of an array) or for the form.
    // A second connection to the same control event replaces the first.
    void on(std::string_view control, Event event, Handler handler);
    void on(std::string_view control, Event event, std::function<void()> handler);
    void on(std::string_view control, Event event, std::function<void(std::int16_t)> handler);
    void on(Event event, Handler handler);
    void on(Event event, std::function<void()> handler);

    // Raises an event of a control or of the form: runs its handler, if any.
    void raise(Control& control, Event event, EventArgs& args);
    void raise(Event event, EventArgs& args);

    void addObserver(FormObserver* observer);
    void removeObserver(FormObserver* observer);

    // The window of the control holding a control's client area: the
    // container's handle, or the form's.
    std::int32_t containerHandle(const Control& control);

    // Window data kept for the window functions (win.h).
    std::int32_t windowStyle() const { return style_; }
    void windowStyle(std::int32_t value) { style_ = value; }
    std::int32_t extendedStyle() const { return exStyle_; }
    void extendedStyle(std::int32_t value) { exStyle_ = value; }

protected:
    // Builds the form as designed: sets its own design properties and adds
    // its controls. Runs at every Load.
    virtual void design();

    // Adds a control during design (or later): index >= 0 makes it an
    // element of a control array; the container is a frame or picture box
    // of this form, nullptr for the form itself.
    Control& add(Kind kind, const std::string& name, std::int16_t index = -1,
                 Control* container = nullptr);

public:
    // Access to add() for design functions of generic forms.
    Control& addControl(Kind kind, const std::string& name, std::int16_t index = -1,
                        Control* container = nullptr) {
        return add(kind, name, index, container);
    }

private:
    friend class Control;

    void ensureLoaded();
    void resetProperties();
    void teardown();
    void notify(Prop prop);
    void notifyControl(Control& control, Prop prop);
    void layoutAligned();
    void checkMovable();
    void focusFirstControl();
    void moveFocus(Control* target) { setActiveControl(target); }
    void renumberTabs(Control* moved, std::int16_t position);
    std::vector<Control*>& namedList(std::string_view name);
    Control& createControl(Kind kind, const std::string& name, std::int16_t index,
                           Control* container, bool designTime);
    bool runUnload(std::int16_t unloadMode);

    std::string name_;
    std::function<void(Form&)> designFunction_;
    bool loaded_ = false;
    bool loading_ = false;
    int modalDepth_ = 0;
    std::int32_t handle_ = 0;

    std::string caption_;
    std::int32_t left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    std::int16_t windowState_ = vbNormal;
    bool visible_ = false;
    bool enabled_ = true;
    StdFont font_;
    bool rightToLeft_ = false;
    std::int32_t backColor_ = vbButtonFace;
    std::string tag_;
    bool keyPreview_ = false;
    std::int16_t borderStyle_ = 2;
    int refreshCount_ = 0;
    std::int32_t style_ = 0;
    std::int32_t exStyle_ = 0;

    std::vector<std::unique_ptr<Control>> controls_;
    std::map<std::string, std::vector<Control*>> byName_;  // lower-case name
    std::int64_t nextZSerial_ = 0;
    std::int64_t frontZSerial_ = 0;
    Control* activeControl_ = nullptr;

    std::map<std::string, std::map<Event, Handler>> handlers_;  // "" = the form
    std::vector<FormObserver*> observers_;
};

// A named control of a form, looked up at each use (loading the form on
// first access), so it stays valid across Unload and Load.
class ControlRef {
public:
    ControlRef(Form* form, std::string name) : form_(form), name_(std::move(name)) {}
    Control& get() const { return form_->control(name_); }
    Control* operator->() const { return &get(); }
    Control& operator*() const { return get(); }
    const std::string& name() const { return name_; }

private:
    Form* form_;
    std::string name_;
};

// A control array of a form: element i is array(i).
class ControlArrayRef {
public:
    ControlArrayRef(Form* form, std::string name) : form_(form), name_(std::move(name)) {}
    Control& operator()(std::int16_t index) const { return form_->control(name_, index); }
    // Lowest and highest loaded index; error 340 when no element exists.
    std::int16_t LBound() const;
    std::int16_t UBound() const;
    std::int16_t Count() const;
    bool exists(std::int16_t index) const { return form_->find(name_, index) != nullptr; }
    Control& Load(std::int16_t index) const { return form_->LoadControl(name_, index); }
    void Unload(std::int16_t index) const { form_->UnloadControl(name_, index); }
    const std::string& name() const { return name_; }

private:
    Form* form_;
    std::string name_;
};

// Every loaded form, in load order.
std::vector<Form*> loadedForms();

}  // namespace forms
