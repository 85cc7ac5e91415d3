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

// Where the tabs of fields joined may stand: Anywhere when a field may hold
// one, or only Between the fields, which lets a search that starts at tabs
// jump from field to field without reading them.
enum class FieldTabs : bool { Anywhere, Between };

// Replaces out with the fields joined. Throws std::bad_alloc.
void JoinFields(Fields fields, std::string& out);

}  // namespace pattern

}  // namespace tracing
