// Find and the rules on the whole line go field by field, without formatting
// the line: they must answer as the line formatted (every field but the
// time, joined by tabs) and searched would.
#include "viewer/view/LineFields.h"
#include "viewer/view/LineFinder.h"
#include "viewer/view/ShownLines.h"

#include "foundation/trace/TraceProtocol.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

using namespace tracing;

namespace {

// The reference: the joined line searched, ASCII letters folded without matchCase.
bool JoinedHolds(std::string joined, std::string text, bool matchCase)
{
    if (!matchCase) {
        joined = LowerAscii(joined);
        text = LowerAscii(text);
    }
    return joined.find(text) != std::string::npos;
}

std::string Joined(const LineStore& store, std::uint64_t sequence)
{
    std::string scratch;
    return std::string(FieldText(store, store.Record(sequence), sequence, RuleField::WholeLine, scratch));
}

// The lines find matches in store for text.
std::vector<std::uint64_t> Found(const LineStore& store, const std::string& text, bool matchCase)
{
    const LineRules rules;
    const ScopeDurations durations;
    ShownLines shown(store, rules, durations);
    static_cast<void>(shown.Work(~std::size_t { 0 }));
    LineFinder finder;
    finder.Set(text, matchCase);
    finder.Update(shown);
    std::vector<std::uint64_t> found;
    for (std::uint64_t sequence = store.First(); sequence < store.End(); ++sequence) {
        if (finder.IsMatch(sequence)) {
            found.push_back(sequence);
        }
    }
    return found;
}

// What a rule on the whole line makes of a held line field by field, and of
// the line formatted.
struct Answers {
    MatchResult byFields;
    MatchResult joined;
};

Answers RuleOnLine(
    const LineStore& store, std::uint64_t sequence, const std::string& pattern, bool regex, bool matchCase)
{
    std::string error;
    const auto rule = Rule::Make(
        { .regex = regex, .matchCase = matchCase, .field = RuleField::WholeLine, .pattern = pattern }, error);
    EXPECT_TRUE(rule) << pattern << ": " << error;
    if (!rule) {
        return { MatchResult::GaveUp, MatchResult::GaveUp };
    }
    std::string scratch;
    // Read straight from the store, and through the line's view.
    const MatchResult byFields = MatchLine(*rule, store, store.Record(sequence), sequence, scratch);
    EXPECT_EQ(MatchLine(*rule, store.Line(store.Record(sequence)), sequence + 1, scratch), byFields)
        << pattern << " on line " << sequence + 1;
    return { byFields, rule->Matches(Joined(store, sequence)) };
}

TEST(WholeLineTest, TextIsFoundAcrossAndWithinFieldsAsInTheJoinedLine)
{
    const std::string big = "b" + std::string(LineStore::kMaxTextBytes - 2, 'a') + "c";
    LineStore store;
    // 1  4031  app.exe  message  net  Open file x.txt \xC3\xA9t\xC3\xA9
    store.Add(
        { 0, 4031, LineOrigin::Record, UTrace::kTraceMessage, "app.exe", "net", "Open file x.txt \xC3\xA9t\xC3\xA9" });
    // 2  (no pid, process or source)  debug  (empty text)
    store.Add({ 0, 0, LineOrigin::Debug, 0, "", "", "" });
    // 3  12  p  77 (a kind without a name)  s  64 KB of text
    store.Add({ 0, 12, LineOrigin::Record, 77, "p", "s", big });
    const struct {
        std::string text;
        bool matchCase;
        std::vector<std::uint64_t> lines;
    } rows[] = {
        { "1", true, { 0, 2 } },  // the line number, and the pid of line 3
        { "403", true, { 0 } },
        { "1\t4031\tapp", true, { 0 } },  // from the start of the line
        { "exe\tMESS", false, { 0 } },
        { "exemessage", false, {} },  // fields never run together
        { "net\topen", false, { 0 } },
        { "net\topen", true, {} },
        { "x.txt \xC3\xA9T\xC3\xA9", false, { 0 } },  // ASCII folds around other bytes
        { "\xC3\x89", false, {} },  // which themselves do not fold
        { "t\xC3\xA9 and more", false, {} },  // runs past the end of the line
        { "2\t\t\tdebug\t\t", true, { 1 } },  // empty fields
        { "\t\t", true, { 1 } },
        { "\t77\ts\tb", true, { 2 } },
        { "77", true, { 2 } },
        { "ac", true, { 2 } },  // the last bytes of a 64 KB text
        { "s\tbaa", true, { 2 } },
        { "message\tnet\tOpen file x.txt \xC3\xA9t\xC3\xA9", true, { 0 } },
        { big, true, { 2 } },
        { big + "a", true, {} },
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Found(store, row.text, row.matchCase), row.lines) << row.text;
        for (std::uint64_t sequence = 0; sequence < store.End(); ++sequence) {
            const bool expected = std::count(row.lines.begin(), row.lines.end(), sequence) != 0;
            EXPECT_EQ(JoinedHolds(Joined(store, sequence), row.text, row.matchCase), expected)
                << "the table: " << row.text;
            if (row.text.find('\t') == std::string::npos) {
                EXPECT_EQ(RuleOnLine(store, sequence, row.text, false, row.matchCase).byFields == MatchResult::Match,
                    expected)
                    << row.text << " on line " << sequence + 1;
            }
        }
    }
}

// Lines and texts made at random: texts cut from the joined lines themselves,
// tabs and digits included, with their letters' case changed at random.
TEST(WholeLineTest, FindAndRulesAgreeWithTheJoinedLineOnGeneratedLines)
{
    std::mt19937 random(4031);
    const auto some = [&](std::string_view alphabet, std::size_t most) {
        std::string text(random() % (most + 1), ' ');
        for (char& c : text) {
            c = alphabet[random() % alphabet.size()];
        }
        return text;
    };
    LineStore store;
    const std::int32_t kinds[] = { UTrace::kTraceError, UTrace::kTraceMessage, UTrace::kTraceFunction, -5 };
    for (int i = 0; i < 200; ++i) {
        const bool debug = random() % 4 == 0;
        store.Add({ 0, random() % 3 == 0 ? 0u : static_cast<std::uint32_t>(random() % 5000),
            debug ? LineOrigin::Debug : LineOrigin::Record, kinds[random() % std::size(kinds)], some("ab.e", 4),
            some("rse", 3), some("aBc 1-\t\xC3\xA9", 12) });
    }
    for (int i = 0; i < 150; ++i) {
        const std::string joined = Joined(store, random() % store.End());
        const std::size_t from = random() % joined.size();
        std::string text = joined.substr(from, 1 + random() % 8);
        if (random() % 2 == 0) {
            std::transform(text.begin(), text.end(), text.begin(),
                [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
        }
        const bool matchCase = random() % 2 == 0;
        std::vector<std::uint64_t> expected;
        for (std::uint64_t sequence = 0; sequence < store.End(); ++sequence) {
            if (JoinedHolds(Joined(store, sequence), text, matchCase)) {
                expected.push_back(sequence);
            }
        }
        EXPECT_EQ(Found(store, text, matchCase), expected) << text;
        // As a regular expression, with its tabs and dots escaped, and as a
        // plain-text rule where it has no tab.
        std::string regex;
        for (const char c : text) {
            regex += c == '\t' ? std::string("\\t") : c == '.' ? std::string("\\.") : std::string(1, c);
        }
        const std::uint64_t sequence = random() % store.End();
        const Answers answers = RuleOnLine(store, sequence, regex, true, matchCase);
        EXPECT_EQ(answers.byFields, answers.joined) << regex << " on line " << sequence + 1;
        if (text.find('\t') == std::string::npos) {
            const bool holds = std::count(expected.begin(), expected.end(), sequence) != 0;
            EXPECT_EQ(RuleOnLine(store, sequence, text, false, matchCase).byFields == MatchResult::Match, holds)
                << text;
        }
    }
}

// Regular expressions whose matches start with a tab never read the line
// number, which is then left unformatted; those that may are given it.
TEST(WholeLineTest, RegexRulesAgreeWithTheJoinedLineWithOrWithoutTheLineNumber)
{
    std::mt19937 random(4002);
    LineStore store;
    for (int i = 0; i < 120; ++i) {
        const std::string text = std::to_string(random() % 50) + (random() % 2 == 0 ? "\tx" : " \xC3\xA9");
        store.Add({ 0, random() % 4 == 0 ? 0u : 4000 + static_cast<std::uint32_t>(random() % 12),
            random() % 4 == 0 ? LineOrigin::Debug : LineOrigin::Record, UTrace::kTraceMessage, "p", "s", text });
    }
    const char* const patterns[]
        = { "\\t40[0-3]2\\t", "\\t1", "\\t[0-9]+\\t", "\\t\\t", "^1\\t", "1\\t40", "[0-9]\\t[^\\t]*$", "\\tx$" };
    for (const char* pattern : patterns) {
        for (std::uint64_t sequence = 0; sequence < store.End(); ++sequence) {
            const Answers answers = RuleOnLine(store, sequence, pattern, true, false);
            EXPECT_EQ(answers.byFields, answers.joined) << pattern << " on line " << sequence + 1;
        }
    }
}

// The filters decide a slice of lines rule by rule: the lines shown must be
// those each line's rules, tried in order, let through. Lines with and
// without tabs, some dropped, so that slices start anywhere.
TEST(WholeLineTest, FiltersDecideSlicesAsEachLineAlone)
{
    std::mt19937 random(2612);
    LineStore store(700);
    for (int i = 0; i < 1000; ++i) {
        const std::string text = (random() % 2 == 0 ? "a" : "b") + std::string(random() % 3 == 0 ? "\tx" : " y");
        store.Add({ 0, 4000 + static_cast<std::uint32_t>(random() % 6), LineOrigin::Record,
            random() % 5 == 0 ? UTrace::kTraceError : UTrace::kTraceMessage, random() % 2 == 0 ? "p1" : "p2",
            random() % 2 == 0 ? "s1" : "s2", text });
    }
    ASSERT_GT(store.First(), 0u);
    using Row = std::vector<TextRule>;
    const Row rows[] = {
        { { .action = RuleAction::Exclude, .field = RuleField::Text, .pattern = "b" },
            { .regex = true, .field = RuleField::WholeLine, .pattern = "\\t40[0-3]2\\t" } },
        { { .field = RuleField::Kind, .pattern = "error" }, { .field = RuleField::Source, .pattern = "s1" },
            { .action = RuleAction::Exclude, .regex = true, .field = RuleField::WholeLine, .pattern = "\\tx$" } },
        { { .action = RuleAction::Exclude, .regex = true, .field = RuleField::WholeLine, .pattern = "\\tP2\\t" },
            { .enabled = false, .field = RuleField::Text, .pattern = "a" },
            { .action = RuleAction::Exclude, .field = RuleField::Process, .pattern = "p1" } },
        { { .action = RuleAction::Exclude, .enabled = false, .field = RuleField::Text, .pattern = "a" } },
    };
    for (const Row& row : rows) {
        std::vector<Rule> filters;
        std::string error;
        for (const TextRule& definition : row) {
            auto rule = Rule::Make(definition, error);
            ASSERT_TRUE(rule) << definition.pattern << ": " << error;
            filters.push_back(std::move(*rule));
        }
        std::vector<std::uint64_t> expected;
        std::string scratch;
        for (std::uint64_t sequence = store.First(); sequence < store.End(); ++sequence) {
            bool included = std::none_of(row.begin(), row.end(),
                [](const TextRule& rule) { return rule.enabled && rule.action == RuleAction::Include; });
            bool excluded = false;
            for (const Rule& rule : filters) {
                if (rule.Definition().enabled
                    && MatchLine(rule, store, store.Record(sequence), sequence, scratch) == MatchResult::Match) {
                    excluded = excluded || rule.Definition().action == RuleAction::Exclude;
                    included = included || rule.Definition().action == RuleAction::Include;
                }
            }
            if (included && !excluded) {
                expected.push_back(sequence);
            }
        }
        LineRules rules;
        rules.SetFilters(std::move(filters));
        const ScopeDurations durations;
        ShownLines shown(store, rules, durations);
        // Slices cut short by the budget as well as by their length.
        do {
            static_cast<void>(shown.Work(300));
        } while (shown.Unmatched() != 0);
        std::vector<std::uint64_t> actual;
        for (std::size_t position = 0; position < shown.Size(); ++position) {
            actual.push_back(shown.SequenceAt(position));
        }
        EXPECT_EQ(actual, expected) << row.front().pattern;
    }
}

}  // namespace
