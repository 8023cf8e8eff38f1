// A small dialog in the manner of the program's forms, shared by the forms
// tests: a frame holding labelled text boxes (a control array), option
// buttons and a check box; a title label; a row of navigation buttons.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/forms/form.h"

namespace formstest {

class SampleDialog : public forms::Form {
public:
    SampleDialog() : Form("frmSample") {
        using forms::Event;
        on(Event::Load, [this] { ++loads; });
        on(Event::QueryUnload, [this](forms::EventArgs& e) { Form_QueryUnload(e.Cancel, e.UnloadMode); });
        on("cmdNav", Event::Click, [this](std::int16_t index) { cmdNav_Click(index); });
        on("TxtInputData", Event::KeyPress,
           [this](forms::EventArgs& e) { TxtInputData_KeyPress(e.Index, e.KeyAscii); });
        on("TxtInputData", Event::Change, [this](std::int16_t index) { changes.push_back(index); });
        on("OptElementType", Event::Click, [this](std::int16_t index) { optionClicks.push_back(index); });
        on("chkSmoothMesh", Event::Click, [this] { ++checkClicks; });
    }

    forms::ControlArrayRef fraStep{this, "fraStep"};
    forms::ControlArrayRef LblInputData{this, "LblInputData"};
    forms::ControlArrayRef TxtInputData{this, "TxtInputData"};
    forms::ControlArrayRef OptElementType{this, "OptElementType"};
    forms::ControlRef chkSmoothMesh{this, "chkSmoothMesh"};
    forms::ControlRef lblTitle{this, "lblTitle"};
    forms::ControlArrayRef cmdNav{this, "cmdNav"};

    int loads = 0;
    bool refuseClose = false;
    std::vector<std::int16_t> navClicks;
    std::vector<std::int16_t> changes;
    std::vector<std::int16_t> optionClicks;
    int checkClicks = 0;
    std::vector<std::int16_t> unloadModes;

protected:
    void design() override {
        using forms::Kind;
        Caption("Net parameters");
        Move(1200, 900, 6300, 4500);
        forms::Control& frame = add(Kind::Frame, "fraStep", 0);
        frame.Move(120, 120, 5900, 2700);
        frame.Caption("Parameters");
        for (std::int16_t i = 0; i < 3; ++i) {
            forms::Control& label = add(Kind::Label, "LblInputData", i, &frame);
            label.Move(240, 360 + i * 420, 1800, 285);
            label.Caption("Row " + std::to_string(i));
            forms::Control& text = add(Kind::TextBox, "TxtInputData", i, &frame);
            text.Move(2160, 330 + i * 420, 1500, 315);
        }
        for (std::int16_t i = 0; i < 2; ++i) {
            forms::Control& option = add(Kind::OptionButton, "OptElementType", i, &frame);
            option.Move(3900, 360 + i * 420, 1800, 285);
            option.Caption(i == 0 ? "Triangles" : "Grid net");
        }
        forms::Control& check = add(Kind::CheckBox, "chkSmoothMesh", -1, &frame);
        check.Move(240, 1700, 3000, 285);
        check.Caption("Smooth the net");
        forms::Control& title = add(Kind::Label, "lblTitle");
        title.Move(120, 2950, 5900, 285);
        title.Caption("Enter the parameters");
        const char* captions[] = {"Help", "Cancel", "< Back", "Next >", "Finish"};
        for (std::int16_t i = 0; i < 5; ++i) {
            forms::Control& button = add(Kind::CommandButton, "cmdNav", i);
            button.Move(120 + i * 1200, 3420, 1100, 375);
            button.Caption(captions[i]);
        }
        control("cmdNav", 1).Cancel(true);
    }

private:
    void Form_QueryUnload(std::int16_t& Cancel, std::int16_t& UnloadMode) {
        unloadModes.push_back(UnloadMode);
        if (refuseClose) Cancel = -1;
    }

    // 1 Cancel unloads, 3 Next hides the form, the others are recorded.
    void cmdNav_Click(std::int16_t Index) {
        navClicks.push_back(Index);
        if (Index == 1) Unload();
        if (Index == 3) Hide();
    }

    // Digits and the point only; Enter moves to the next row.
    void TxtInputData_KeyPress(std::int16_t Index, std::int16_t& KeyAscii) {
        if (KeyAscii == 13) {
            KeyAscii = 0;
            if (Index < 2) TxtInputData(static_cast<std::int16_t>(Index + 1)).SetFocus();
            return;
        }
        bool digit = KeyAscii >= '0' && KeyAscii <= '9';
        if (!digit && KeyAscii != '.' && KeyAscii != 8) KeyAscii = 0;
    }
};

}  // namespace formstest
