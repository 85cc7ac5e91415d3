// record-listener OUTPUT PROGRAM [ARGUMENTS...]
// Stands in for the trace viewer while PROGRAM runs: the tests' stand-in
// viewer takes every record, and when PROGRAM has ended one line per record
// goes to OUTPUT, "KIND<TAB>SOURCE<TAB>TEXT", in the order they came. Exits
// with PROGRAM's exit status; 1 when a record was malformed, 124 when the
// program ran longer than a minute (it is then ended), 2 on a bad argument
// or a failed start.
#include "tests/foundation/trace/TestViewer.h"
#include "tests/support/ChildProcess.h"

#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) {
        std::fputs("usage: record-listener OUTPUT PROGRAM [ARGUMENTS...]\n", stderr);
        return 2;
    }
    const trace_testing::TestViewer viewer;
    std::wstring arguments;
    for (int i = 3; i < argc; ++i) {
        arguments += (i > 3 ? L" \"" : L"\"") + std::wstring(argv[i]) + L"\"";
    }
    std::optional<testing_support::ChildProcess> program;
    try {
        program.emplace(argv[2], arguments);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "record-listener: %s\n", error.what());
        return 2;
    }
    const std::optional<DWORD> status = program->WaitForExit(60000);

    std::string lines;
    int malformed = 0;
    for (const trace_testing::ArrivedRecord& arrived : viewer.Records()) {
        const TraceRecord& record = arrived.record;
        if (arrived.dwData != TraceRecord::kMagic || arrived.size < TraceRecord::kMinLength
            || arrived.size > TraceRecord::kMaxLength || record.length != arrived.size
            || record.magic != TraceRecord::kMagic || record.text[arrived.size - TraceRecord::kHeaderSize - 1] != '\0') {
            ++malformed;
            continue;
        }
        lines += std::to_string(record.kind) + '\t' + arrived.Source() + '\t' + arrived.Text() + '\n';
    }
    if (malformed > 0) {
        std::fprintf(stderr, "record-listener: %d malformed records\n", malformed);
    }
    FILE* output = _wfopen(argv[1], L"wb");
    const bool written = output != nullptr && std::fwrite(lines.data(), 1, lines.size(), output) == lines.size();
    if (output == nullptr || std::fclose(output) != 0 || !written) {
        std::fputs("record-listener: cannot write the output file\n", stderr);
        return 2;
    }
    return malformed > 0 ? 1 : status ? static_cast<int>(*status) : 124;
}
