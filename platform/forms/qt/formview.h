// The Qt view of one shown form: a top-level window with an absolutely
// placed widget per control, built from the model and kept in step with it
// (the view observes the form). What the user does in the widgets goes back
// to the model through input.h, and the widgets then show what the model
// made of it. Positions are the model's twips / 15; the view never mirrors
// a layout on its own.
#pragma once

#include <QWidget>

#include <map>
#include <memory>
#include <set>

#include "platform/forms/form.h"

namespace forms::qt {

class FormView : public QWidget, public FormObserver {
public:
    explicit FormView(Form& form);
    ~FormView() override;

    Form* form() const { return form_; }
    // The widget showing a control, nullptr when there is none.
    QWidget* widgetOf(const Control& control) const;
    // The form was unloaded: stop observing it (the view is deleted later).
    void detach();

    void controlAdded(Control& control) override;
    void controlRemoved(Control& control) override;
    void controlChanged(Control& control, Prop prop) override;
    void formChanged(Form& form, Prop prop) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Entry {
        Control* control = nullptr;
        QWidget* widget = nullptr;
        std::shared_ptr<const bool> alive;
    };

    QWidget* createWidget(Control& control, QWidget* parent);
    QWidget* parentFor(const Control& control);
    void watch(QObject* object, Control& control);
    void sync(Entry& entry, Prop prop);
    void syncAll(Entry& entry);
    void syncGeometry(Entry& entry);
    void syncText(Entry& entry);
    void syncList(Entry& entry);
    void syncGrid(Entry& entry, bool cells);
    void syncSheet(Entry& entry);
    void syncFocus(Entry& entry);
    void syncWindow(Prop prop);
    void restack(QWidget* parent);
    void schedule(Entry& entry);
    void flush();
    void updateModelGeometry();
    bool handleKey(Control& control, QKeyEvent* event);
    bool handleMouse(Control& control, QObject* watched, QEvent* event);
    Entry* entryOf(const Control& control);

    Form* form_;
    std::map<const Control*, Entry> entries_;
    std::map<const QObject*, Control*> owners_;  // widget (and inner widgets) -> control
    std::set<const Control*> pending_;
    bool flushScheduled_ = false;
    int syncing_ = 0;
};

}  // namespace forms::qt
