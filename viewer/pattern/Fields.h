// A line's fields read as one text, joined by tabs, without being joined:
// searches go field by field and join them only where they must.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace tracing {

namespace pattern {

using Fields = std::span<const std::string_view>;
constexpr char kFieldSeparator = '\t';

// Replaces out with the fields joined. Throws std::bad_alloc.
void JoinFields(Fields fields, std::string& out);

}  // namespace pattern

}  // namespace tracing
