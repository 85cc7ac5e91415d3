/* The C client as a C99 program uses it. */
#include <probedeck_trace.h>

int sdk_send_from_c(int kind, const char* source, const char* text);

int sdk_send_from_c(int kind, const char* source, const char* text)
{
    return probedeck_trace_send(kind, source, text);
}
