#include "tools/tracecap/core/LineOutput.h"

#include "viewer/log/LogFormat.h"

namespace tracecap {

void AppendJsonString(std::string& out, std::string_view text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (byte < 0x20 || byte == 0x7F) {
                out += "\\u00";
                out += kHex[byte >> 4];
                out += kHex[byte & 15];
            } else {
                out += c;  // the texts are UTF-8 already: JSON takes them as they are
            }
        }
    }
    out += '"';
}

void AppendOutputLine(std::string& out, const tracing::LineView& line, OutputFormat format)
{
    if (format == OutputFormat::Log) {
        tracing::AppendLogLine(out, line);
        return;
    }
    out += "{\"time\":\"";
    tracing::AppendTime(out, line.time);
    out += "\",\"pid\":";
    out += line.pid != 0 ? std::to_string(line.pid) : "null";
    out += ",\"process\":";
    AppendJsonString(out, line.process);
    out += ",\"kind\":";
    AppendJsonString(out, tracing::KindName(line.origin, line.kind));
    out += ",\"source\":";
    AppendJsonString(out, line.source);
    out += ",\"text\":";
    AppendJsonString(out, line.text);
    out += "}\n";
}

}  // namespace tracecap
