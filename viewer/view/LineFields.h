// The texts of a held line's fields, as rules and find see them and as the
// list shows them (the time as the clock time of day).
#pragma once

#include "viewer/rules/TextRule.h"
#include "viewer/store/LineStore.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tracing {

// The field's text for a line whose number (as shown, from 1) is number.
// scratch holds what has to be formatted and must outlive the result; the
// line's own texts are returned without a copy.
std::string_view FieldText(const LineView& line, std::uint64_t number, RuleField field, std::string& scratch);
// The same for a held line at sequence (from 0).
std::string_view FieldText(
    const LineStore& store, const LineRecord& record, std::uint64_t sequence, RuleField field, std::string& scratch);

// "hh:mm:ss.mmm" of a line's local time.
void AppendClockTime(std::string& out, std::int64_t time);

}  // namespace tracing
