// The hidden top-level window of the viewer's class that the tracing
// facility's records are sent to while no viewer runs. Its title tells it
// apart from a viewer's window, so a viewer started later starts normally.
#pragma once

#include "foundation/ui/BaseWindow.h"
#include "tools/tracecap/CapturedLines.h"
#include "viewer/capture/ProcessNames.h"

#include <windows.h>

#include <cstdint>
#include <string_view>

namespace tracecap {

class RecordWindow : public ui::BaseWindow<RecordWindow> {
public:
    explicit RecordWindow(CapturedLines& lines);
    ~RecordWindow();

    // 0, or the system's error when the window cannot be made.
    DWORD Create();
    // Records that arrived but could not be taken (a failure while taking one).
    std::uint64_t Failed() const { return mFailed; }

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnFailure(std::wstring_view what) noexcept;

private:
    bool Take(const COPYDATASTRUCT& data, WPARAM sender);

    CapturedLines& mLines;
    tracing::ProcessNames mNames;
    std::uint64_t mFailed = 0;
};

}  // namespace tracecap
