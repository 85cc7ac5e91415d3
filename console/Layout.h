// Scaling of the control table from its 5 x 13 base character cell to the
// dialog font in use.
#pragma once

#include "console/ControlTable.h"
#include "foundation/resources/UniqueResource.h"

#include <windows.h>

#include <vector>

namespace console {

// Average character cell of a font, as dialog units measure it.
struct CharCell {
    int width;
    int height;
};

inline constexpr CharCell kBaseCell{5, 13};

// Margin kept right of and below the outermost controls, in base pixels.
inline constexpr int kLayoutMargin = 8;

// The character cell of font, measured on a screen device context.
CharCell MeasureCharCell(HFONT font);

int ScaleX(int value, CharCell cell);
int ScaleY(int value, CharCell cell);

// Rectangle of a control in the window's client area: a control inside a
// group box is placed relative to the (scaled) origin of the group box.
RECT ControlRect(const ControlSpec& row, CharCell cell);

// Client area that holds every control with the margin.
SIZE ClientSize(CharCell cell);

// Controls in creation order: ascending tab index, table order for equal ones,
// which makes the window's tab order follow the tab indices.
std::vector<const ControlSpec*> ControlsInTabOrder();

}  // namespace console
