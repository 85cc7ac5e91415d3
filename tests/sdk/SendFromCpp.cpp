// The C client as a C++ program uses it.
#include <probedeck_trace.h>

int SendFromCpp(int kind, const char* source, const char* text);

int SendFromCpp(int kind, const char* source, const char* text)
{
    return probedeck_trace_send(kind, source, text);
}
