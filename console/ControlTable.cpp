#include "console/ControlTable.h"

#include <array>
#include <stdexcept>

namespace console {
namespace {

using enum ControlId;
using K = ControlKind;

// clang-format off
constexpr std::array kControls = {
    ControlSpec{label1,              K::Label,    L"label1",              L"Enter Product Name:",     std::nullopt, 461,  26,  120,  16,  3},
    ControlSpec{ProductNameText,     K::TextBox,  L"ProductNameText",     L"",                        std::nullopt, 453,  42,  200,  20,  0},
    ControlSpec{label9,              K::Label,    L"label9",              L"Locale String:",          std::nullopt, 461, 162,   80,  16, 45},
    ControlSpec{LocaleString,        K::TextBox,  L"LocaleString",        L"enu",                     std::nullopt, 453, 178,   96,  20, 44},
    ControlSpec{GetUserLangBtn,      K::Button,   L"GetUserLangBtn",      L"GetUserLang",             std::nullopt, 557, 176,   96,  24, 57},
    ControlSpec{UseNestkitCheckBox,  K::CheckBox, L"UseNestkitCheckBox",  L"Use Nestkit Lib",         std::nullopt, 693,  50,  120,  24, 40},
    ControlSpec{groupBox6,           K::GroupBox, L"groupBox6",           L"Update",                  std::nullopt, 736, 408,  336,  88, 51},
    ControlSpec{InvokeUpdateBtn,     K::Button,   L"InvokeUpdateBtn",     L"Invoke Update",           groupBox6,    192,  18,  128,  32, 42},
    ControlSpec{BackgroundCheckBox,  K::CheckBox, L"BackgroundCheckBox",  L"Background",              groupBox6,    200,  64,  112,  16, 30},
    ControlSpec{groupBox11,          K::GroupBox, L"groupBox11",          L"Corvella",                std::nullopt, 736, 272,  336, 112, 51},
    ControlSpec{GetCVID_Btn,         K::Button,   L"GetCVID_Btn",         L"Get Corvella ProfileID",  groupBox11,    16,  24,  168,  32, 42},
    ControlSpec{label18,             K::Label,    L"label18",             L"Enter Long User ID:",     groupBox11,    16,  64,  112,  16, 45},
    ControlSpec{CVUID_Text,          K::TextBox,  L"CVUID_Text",          L"TEST_CVUID_00001",        groupBox11,    16,  80,  304,  20, 44},
    ControlSpec{groupBox10,          K::GroupBox, L"groupBox10",          L"Helpers",                 std::nullopt,   8, 624, 1064,  64, 54},
    ControlSpec{HelpPageButton,      K::Button,   L"HelpPageButton",      L"Help Page",               groupBox10,    16,  24,  128,  24, 10},
    ControlSpec{TracingExeButton,    K::Button,   L"TracingExeButton",    L"Tracing.exe",             groupBox10,   304,  24,  128,  24, 10},
    ControlSpec{HTMLTestPageButton,  K::Button,   L"HTMLTestPageButton",  L"HTML Test Page",          groupBox10,   448,  24,  128,  24, 10},
    ControlSpec{PythonTestsButton,   K::Button,   L"PythonTestsButton",   L"Python Tests",            groupBox10,   592,  24,  128,  24, 10},
    ControlSpec{groupBox13,          K::GroupBox, L"groupBox13",          L"More Test",               std::nullopt,   8, 694, 1064,  55, 58},
    ControlSpec{ButtonGetLocalGUIDs, K::Button,   L"ButtonGetLocalGUIDs", L"GetLocalGUIDs",           groupBox13,    16,  19,  128,  24, 59},
    ControlSpec{StatusMsg,           K::Label,    L"StatusMsg",           L"",                        std::nullopt,   8, 592,  960,  23, 29},
    ControlSpec{ID_DONE,             K::Button,   L"ID_DONE",             L"Done",                    std::nullopt, 992, 592,   75,  23, 14},
};
// clang-format on

}  // namespace

std::span<const ControlSpec> ConsoleControls()
{
    return kControls;
}

const ControlSpec& ControlSpecOf(ControlId id)
{
    for (const ControlSpec& row : kControls) {
        if (row.id == id) {
            return row;
        }
    }
    throw std::out_of_range("unknown console control id");
}

}  // namespace console
