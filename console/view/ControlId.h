// Control ids of the console window, one per control.
#pragma once

namespace console {

enum class ControlId : int {
    label1 = 1001,
    ProductNameText,
    label9,
    LocaleString,
    GetUserLangBtn,
    UseNestkitCheckBox,
    groupBox6,
    InvokeUpdateBtn,
    BackgroundCheckBox,
    groupBox11,
    GetCVID_Btn,
    label18,
    CVUID_Text,
    groupBox10,
    HelpPageButton,
    TracingExeButton,
    HTMLTestPageButton,
    PythonTestsButton,
    groupBox13,
    ButtonGetLocalGUIDs,
    StatusMsg,
    ID_DONE,
};

}  // namespace console
