// The console window's controls: one row each, the single source of the
// layout, the tab order and the names that status texts print.
#pragma once

#include "console/view/ControlId.h"

#include <optional>
#include <span>

namespace console {

enum class ControlKind { Label, TextBox, Button, CheckBox, GroupBox };

struct ControlSpec {
    ControlId id;
    ControlKind kind;
    const wchar_t* name;  // the control's name, printed by status texts
    const wchar_t* text;  // caption or initial text
    std::optional<ControlId> parent;  // group box that holds it, or the window
    // Position and size relative to the parent, for a 5 x 13 character cell.
    int x, y, width, height;
    int tabIndex;
};

// Every control of the window, in the order they are listed.
std::span<const ControlSpec> ConsoleControls();

// The row of a control.
const ControlSpec& ControlSpecOf(ControlId id);

}  // namespace console
