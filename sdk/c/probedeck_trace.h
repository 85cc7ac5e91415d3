/*
 * probedeck_trace.h: sends trace lines to the trace viewer (Tracing.exe)
 * from C or C++, without the foundation library. Header only; it needs
 * windows.h and user32.
 *
 *     probedeck_trace_send(PROBEDECK_TRACE_MESSAGE, "net", "connected");
 *
 * A call makes the record the library's own tracing makes for the same
 * line (docs/trace-records.md: tag 0, flag 0, source cut to 63 bytes, text
 * cut to 1023 and NUL-terminated) and sends it the way the library does.
 * It keeps nothing between calls: each one looks the viewer's window up,
 * and waits at most PROBEDECK_TRACE_TIMEOUT_MS for a viewer that does not
 * answer, so tracing never stops the program. The record is lost when no
 * viewer takes it. The calling thread's last error is left as it was.
 */
#ifndef PROBEDECK_TRACE_H
#define PROBEDECK_TRACE_H

#include <windows.h>

#include <string.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Line kinds. */
#define PROBEDECK_TRACE_ERROR 1
#define PROBEDECK_TRACE_MESSAGE 3
#define PROBEDECK_TRACE_FUNCTION 4

#define PROBEDECK_TRACE_VIEWER_CLASS L"Talvane Solutions::Trace::1.0"
/* In the record and in COPYDATASTRUCT.dwData. */
#define PROBEDECK_TRACE_MAGIC 0x55543132u
#define PROBEDECK_TRACE_TIMEOUT_MS 1000u
#define PROBEDECK_TRACE_SOURCE_SIZE 64
#define PROBEDECK_TRACE_TEXT_SIZE 1024
#define PROBEDECK_TRACE_HEADER_SIZE 81

#pragma pack(push, 1)
typedef struct probedeck_trace_record {
    UINT32 length; /* bytes sent: the header, the text and its NUL */
    UINT32 magic;
    INT32 kind;
    UINT32 tag;
    BYTE flag;
    char source[PROBEDECK_TRACE_SOURCE_SIZE];
    char text[PROBEDECK_TRACE_TEXT_SIZE];
} probedeck_trace_record;
#pragma pack(pop)

/* The viewer reads the record at fixed offsets: any padding would break it. */
typedef char probedeck_trace_record_has_no_gaps
    [sizeof(probedeck_trace_record) == PROBEDECK_TRACE_HEADER_SIZE + PROBEDECK_TRACE_TEXT_SIZE ? 1 : -1];

/* Fills record for one line (a null source or text counts as empty) and
   returns its length, the number of bytes to send. The text's bytes behind
   its NUL are never sent and are left as they are. */
static inline UINT32 probedeck_trace_fill(
    probedeck_trace_record* record, int kind, const char* source, const char* text)
{
    size_t length = 0;
    record->magic = PROBEDECK_TRACE_MAGIC;
    record->kind = (INT32)kind;
    record->tag = 0;
    record->flag = 0;

    if (source != NULL) {
        while (length < PROBEDECK_TRACE_SOURCE_SIZE - 1 && source[length] != '\0') {
            record->source[length] = source[length];
            ++length;
        }
    }
    memset(record->source + length, 0, PROBEDECK_TRACE_SOURCE_SIZE - length);

    length = 0;
    if (text != NULL) {
        while (length < PROBEDECK_TRACE_TEXT_SIZE - 1 && text[length] != '\0') {
            record->text[length] = text[length];
            ++length;
        }
    }
    record->text[length] = '\0';

    record->length = (UINT32)(PROBEDECK_TRACE_HEADER_SIZE + length + 1);
    return record->length;
}

/* Sends one line of the given kind to the viewer. Nonzero when a viewer
   took the record; 0 when there is none, it refused the record, or it did
   not answer within PROBEDECK_TRACE_TIMEOUT_MS. */
static inline int probedeck_trace_send(int kind, const char* source, const char* text)
{
    const DWORD lastError = GetLastError();
    int taken = 0;
    const HWND viewer = FindWindowW(PROBEDECK_TRACE_VIEWER_CLASS, NULL);
    if (viewer != NULL) {
        probedeck_trace_record record;
        COPYDATASTRUCT data;
        DWORD_PTR answer = 0;
        data.dwData = PROBEDECK_TRACE_MAGIC;
        data.cbData = probedeck_trace_fill(&record, kind, source, text);
        data.lpData = &record;
        if (SendMessageTimeoutW(viewer, WM_COPYDATA, 0, (LPARAM)&data, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                PROBEDECK_TRACE_TIMEOUT_MS, &answer)
            != 0) {
            taken = answer != 0;
        }
    }
    SetLastError(lastError);
    return taken;
}

#ifdef __cplusplus
}
#endif

#endif /* PROBEDECK_TRACE_H */
