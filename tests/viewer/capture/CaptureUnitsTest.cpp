// The pieces of debug-output capture that need no second process: reading
// the shared buffer, and program names.
#include "viewer/capture/DebugBuffer.h"
#include "viewer/capture/ProcessNames.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(DebugBufferTest, TextEndsAtItsNulOrAtTheSectionsEnd)
{
    const struct {
        const char* name;
        std::size_t size;  // bytes handed to Read
        std::string text;  // the bytes after the process id, then zeros
        std::string expected;
    } rows[] = {
        { "a NUL-terminated text", debug_buffer::kBytes, "hello\r\n", "hello\r\n" },
        { "an empty text", debug_buffer::kBytes, "", "" },
        { "no NUL at all", debug_buffer::kBytes, std::string(debug_buffer::kTextBytes, 'n'),
            std::string(debug_buffer::kTextBytes, 'n') },
        { "more bytes handed than the section has", debug_buffer::kBytes + 100,
            std::string(debug_buffer::kTextBytes + 100, 'm'), std::string(debug_buffer::kTextBytes, 'm') },
        { "a copy that ends early", 10, "abcdefghij", "abcdef" },
        { "a copy too short for the id", 3, "", "" },
    };
    for (const auto& row : rows) {
        std::vector<unsigned char> bytes(std::max<std::size_t>(row.size, 4 + row.text.size()), 0);
        const std::uint32_t pid = 4242;
        std::memcpy(bytes.data(), &pid, sizeof pid);
        std::memcpy(bytes.data() + 4, row.text.data(), row.text.size());
        const debug_buffer::Write write = debug_buffer::Read(bytes.data(), row.size);
        EXPECT_EQ(write.text, row.expected) << row.name;
        EXPECT_EQ(write.pid, row.size >= 4 ? pid : 0u) << row.name;
    }
}

TEST(ProcessNamesTest, NamesRunningProgramsAndForgetsEndedOnes)
{
    ProcessNames names;
    EXPECT_EQ(names.Lookup(0, 0), "");
    EXPECT_EQ(names.Lookup(::GetCurrentProcessId(), 0), "viewer_tests.exe");

    DWORD pid = 0;
    {
        testing_support::ChildProcess child(testing_support::TestFile(L"debug_writer.exe"), L"wait");
        pid = child.id();
        EXPECT_EQ(names.Lookup(pid, 0), "debug_writer.exe");
        ::TerminateProcess(child.handle(), 0);
        ASSERT_TRUE(child.WaitForExit(5000).has_value());
    }
    // Until the sweep the cached handle keeps the id from going to another process.
    EXPECT_EQ(names.Lookup(pid, 0), "debug_writer.exe");
    // Once nothing holds the ended process any more (Wine keeps it a moment
    // longer), the id is free; whatever has it next, it is not the old program.
    EXPECT_TRUE(testing_support::WaitFor(
        [&] {
            names.Sweep(0);
            return names.Lookup(pid, 0) != "debug_writer.exe";
        },
        5000));
}

}  // namespace
