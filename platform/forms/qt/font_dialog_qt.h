// The font dialog of the Qt backend: face, style (bold, italic) and size,
// and with CF_EFFECTS underline, strikeout and a text colour. Its controls
// carry the identifiers of the desktop's font dialog, so that a hook can
// reach them (and hide the size label and box).
#pragma once

#include <QDialog>

#include <cstdint>
#include <functional>
#include <map>

#include "platform/forms/common_dialogs.h"

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QFontComboBox;
class QLabel;

namespace forms::qt {

class FontChooserDialog : public QDialog {
public:
    // Starts from initialFontChoice(record); honours CF_EFFECTS,
    // CF_LIMITSIZE (nSizeMin..nSizeMax), CF_SCALABLEONLY / CF_TTONLY
    // (scalable faces) and CF_FIXEDPITCHONLY.
    FontChooserDialog(const ChooseFontRecord& record, QWidget* parent);

    // The font as the dialog shows it now.
    FontChoice choice() const;
    // The control with a dialog identifier (1088 face label, 1089 style
    // label, 1090 size label, 1136 face, 1137 style, 1138 size, 1040
    // strikeout, 1041 underline, 1091 colour label, 1139 colour); nullptr
    // when the dialog has none.
    QWidget* control(std::int32_t id) const;
    const std::map<std::int32_t, QWidget*>& controls() const { return controls_; }

    // Called with the result before the dialog closes (OK, Cancel, Escape,
    // the close box).
    std::function<void(int)> beforeDone;

    void done(int result) override;

private:
    bool sizeAcceptable(double* points) const;
    void updateSample();

    ChooseFontRecord record_;
    FontChoice initial_;
    QFontComboBox* face_ = nullptr;
    QCheckBox* bold_ = nullptr;
    QCheckBox* italic_ = nullptr;
    QComboBox* size_ = nullptr;
    QCheckBox* strikeOut_ = nullptr;
    QCheckBox* underline_ = nullptr;
    QComboBox* color_ = nullptr;
    QLabel* sample_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
    std::map<std::int32_t, QWidget*> controls_;
};

}  // namespace forms::qt
