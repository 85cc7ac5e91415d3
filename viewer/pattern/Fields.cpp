#include "viewer/pattern/Fields.h"

namespace tracing {

namespace pattern {

void JoinFields(Fields fields, std::string& out)
{
    out.clear();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i != 0) {
            out += kFieldSeparator;
        }
        out += fields[i];
    }
}

}  // namespace pattern

}  // namespace tracing
