// Looking the viewer up again, in this process: a viewer that goes away and
// comes back gets lines again.
#include "TestViewer.h"

#include "foundation/trace/Trace.h"
#include "foundation/trace/TraceSettings.h"

#include <gtest/gtest.h>

#include <memory>

namespace trace_tests {
namespace {

class SettingsGuard {
public:
    SettingsGuard() : mSaved(UTrace::CurrentSettings()) {}
    ~SettingsGuard() { UTrace::Configure(mSaved); }

private:
    UTrace::Settings mSaved;
};

void BackdateLastLookup(DWORD milliseconds)
{
    TalvaneAutoCriticalSection hold(&UTrace::gTraceLock);
    UTrace::gLastViewerLookup = ::GetTickCount() - milliseconds;
}

TEST(ViewerLookupTest, RestartedViewerIsFoundAfterAFailedSend)
{
    SettingsGuard restore;
    UTrace::Settings settings;
    settings.enabled = 1;
    settings.flags = UTrace::kTraceAllLevels;
    UTrace::Configure(settings);

    auto first = std::make_unique<TestViewer>();
    UTrace::Message("%s", "to the first");
    EXPECT_EQ(first->Records().size(), 1u);
    first.reset();

    UTrace::Message("%s", "to nobody");  // the send fails: the viewer counts as absent
    EXPECT_EQ(UTrace::gViewerState, 0);

    TestViewer second;
    UTrace::Message("%s", "too soon");  // within the interval: no new lookup
    EXPECT_TRUE(second.Records().empty());

    BackdateLastLookup(UTrace::kViewerLookupIntervalMs);
    UTrace::Message("%s", "to the second");
    ASSERT_EQ(second.Records().size(), 1u);
    EXPECT_EQ(second.Records()[0].Text(), "to the second");
}

TEST(ViewerLookupTest, SettingsCanBeReadBackAndSourceIsCut)
{
    SettingsGuard restore;
    const UTrace::Settings initial = UTrace::CurrentSettings();
    EXPECT_EQ(initial.enabled, 0);
    EXPECT_EQ(initial.level, 0);
    EXPECT_EQ(initial.flags, 3u);
    EXPECT_EQ(initial.filter, nullptr);

    UTrace::Settings settings;
    settings.source = std::string(80, 'q');
    settings.tag = 77;
    UTrace::Configure(settings);
    EXPECT_EQ(UTrace::CurrentSettings().source, std::string(63, 'q'));
    EXPECT_EQ(UTrace::gTraceTag, 77u);
}

}  // namespace
}  // namespace trace_tests
