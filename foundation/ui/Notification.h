// Notifications of common controls arrive as the address of a structure, and
// not every sender aligns it for its type (a list view under Wine, on
// 32-bit, does not): their fields are read and written through copies.
#pragma once

#include <windows.h>

#include <cstring>
#include <type_traits>

namespace ui {

template <typename Notification> Notification ReadNotification(LPARAM lParam) noexcept
{
    static_assert(std::is_trivially_copyable_v<Notification>);
    Notification copy;
    std::memcpy(&copy, reinterpret_cast<const void*>(lParam), sizeof copy);
    return copy;
}

template <typename Notification> void WriteNotification(LPARAM lParam, const Notification& value) noexcept
{
    std::memcpy(reinterpret_cast<void*>(lParam), &value, sizeof value);
}

}  // namespace ui
