#include "console/Layout.h"

#include <gtest/gtest.h>


namespace console {
namespace {

TEST(ConsoleLayout, BaseCellKeepsTheTableWithGroupOriginsAndALargerCellScalesEachAxisByItsRatio)
{
    const std::pair<ControlId, RECT> rows[] = {
        {ControlId::ProductNameText, {453, 42, 653, 62}},
        {ControlId::InvokeUpdateBtn, {736 + 192, 408 + 18, 736 + 192 + 128, 408 + 18 + 32}},
        {ControlId::CVUID_Text, {736 + 16, 272 + 80, 736 + 16 + 304, 272 + 80 + 20}},
        {ControlId::PythonTestsButton, {8 + 592, 624 + 24, 8 + 592 + 128, 624 + 24 + 24}},
        {ControlId::ButtonGetLocalGUIDs, {8 + 16, 694 + 19, 8 + 16 + 128, 694 + 19 + 24}},
        {ControlId::ID_DONE, {992, 592, 1067, 615}},
    };
    for (const auto& [id, expected] : rows) {
        const RECT actual = ControlRect(ControlSpecOf(id), kBaseCell);
        EXPECT_TRUE(::EqualRect(&actual, &expected)) << static_cast<int>(id);
    }
    const SIZE client = ClientSize(kBaseCell);
    EXPECT_EQ(client.cx, 1072 + kLayoutMargin);
    EXPECT_EQ(client.cy, 749 + kLayoutMargin);

    const CharCell cell{8, 26};  // 1.6 across, 2.0 down
    const RECT rect = ControlRect(ControlSpecOf(ControlId::InvokeUpdateBtn), cell);
    EXPECT_EQ(rect.left, 1178 + 307);  // 1177.6 and 307.2, each rounded
    EXPECT_EQ(rect.top, 408 * 2 + 18 * 2);
    EXPECT_EQ(rect.right - rect.left, 205);  // 204.8
    EXPECT_EQ(rect.bottom - rect.top, 64);
}

TEST(ConsoleLayout, GroupedControlsLieInsideTheirGroupAtEveryScale)
{
    for (const CharCell cell : {kBaseCell, CharCell{6, 13}, CharCell{7, 19}, CharCell{10, 26}}) {
        for (const ControlSpec& row : ConsoleControls()) {
            if (!row.parent) {
                continue;
            }
            const RECT inner = ControlRect(row, cell);
            const RECT outer = ControlRect(ControlSpecOf(*row.parent), cell);
            EXPECT_TRUE(inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
                        inner.bottom <= outer.bottom)
                << "control " << static_cast<int>(row.id) << " at cell " << cell.width << "x" << cell.height;
        }
    }
}

}  // namespace
}  // namespace console
