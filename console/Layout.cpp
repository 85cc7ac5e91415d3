#include "console/Layout.h"

#include <algorithm>

namespace console {

CharCell MeasureCharCell(HFONT font)
{
    TEXTMETRICW metrics {};
    SIZE extent{};
    {
        const resources::UniqueScreenDc screen(::GetDC(nullptr));
        const resources::SelectedObject selected(screen.get(), font);
        ::GetTextMetricsW(screen.get(), &metrics);
        // The average width over the Latin letters, rounded, as dialog base
        // units are computed; tmAveCharWidth is too coarse for proportional fonts.
        static constexpr wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        ::GetTextExtentPoint32W(screen.get(), kLetters, 52, &extent);
    }
    CharCell cell{(extent.cx / 26 + 1) / 2, static_cast<int>(metrics.tmHeight)};
    if (cell.width <= 0 || cell.height <= 0) {
        cell = kBaseCell;
    }
    return cell;
}

int ScaleX(int value, CharCell cell)
{
    return ::MulDiv(value, cell.width, kBaseCell.width);
}

int ScaleY(int value, CharCell cell)
{
    return ::MulDiv(value, cell.height, kBaseCell.height);
}

RECT ControlRect(const ControlSpec& row, CharCell cell)
{
    int left = ScaleX(row.x, cell);
    int top = ScaleY(row.y, cell);
    if (row.parent) {
        const ControlSpec& group = ControlSpecOf(*row.parent);
        left += ScaleX(group.x, cell);
        top += ScaleY(group.y, cell);
    }
    return RECT{left, top, left + ScaleX(row.width, cell), top + ScaleY(row.height, cell)};
}

SIZE ClientSize(CharCell cell)
{
    LONG right = 0;
    LONG bottom = 0;
    for (const ControlSpec& row : ConsoleControls()) {
        const RECT rect = ControlRect(row, cell);
        right = std::max(right, rect.right);
        bottom = std::max(bottom, rect.bottom);
    }
    return SIZE{right + ScaleX(kLayoutMargin, cell), bottom + ScaleY(kLayoutMargin, cell)};
}

std::vector<const ControlSpec*> ControlsInTabOrder()
{
    std::vector<const ControlSpec*> ordered;
    for (const ControlSpec& row : ConsoleControls()) {
        ordered.push_back(&row);
    }
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const ControlSpec* a, const ControlSpec* b) { return a->tabIndex < b->tabIndex; });
    return ordered;
}

}  // namespace console
