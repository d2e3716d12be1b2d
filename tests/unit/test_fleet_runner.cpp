// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <mutex>
#include <ostream>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "cli/fleet/FleetClock.h"
#include "cli/fleet/FleetRunner.h"
#include "cli/fleet/FleetView.h"
#include "cli/fleet/IFleetSystemRun.h"
#include "core/run/RunInterrupt.h"

namespace quillmarch::fleet {

// A failed expectation names results in words.
void PrintTo(SystemResult result, std::ostream* out) {
    *out << ResultWords(result);
}

namespace {

using Results = std::vector<SystemResult>;
using Systems = std::vector<std::size_t>;

// How long a test waits for the runner to get somewhere; only a broken runner needs it.
constexpr auto kBound = std::chrono::seconds(20);
constexpr int kSigInt = 2;

// The runs of a fleet under test, in place of updates. Each try of a system ends in its
// scripted result at once, or, while the system is held, once the test releases it or the fleet
// stops it. Every step is recorded in the order it happens: "made 0", "begin 0", "end 0",
// "stopped 0", "retired 0" (the runner let the run go after taking its outcome in).
class FakeRuns {
public:
    // tries[system]: the result of each of its tries; the last one repeats.
    explicit FakeRuns(std::vector<Results> tries) : m_tries(std::move(tries)) {}

    void Hold(const Systems& systems) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_held.insert(systems.begin(), systems.end());
    }
    void Release(const Systems& systems) {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (std::size_t system : systems) m_held.erase(system);
        m_changed.notify_all();
    }
    void ReleaseAll() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_held.clear();
        m_changed.notify_all();
    }
    // False when the bound passes first.
    bool WaitFor(const std::string& event) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, kBound, [&] {
            return std::find(m_events.begin(), m_events.end(), event) != m_events.end();
        });
    }

    std::vector<std::string> Events() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_events;
    }
    Systems Made() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_made;
    }
    // What each run was told of the tries before it, in the order they were made.
    std::vector<std::string> TryNotes() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_notes;
    }
    // The signal each Stop was given.
    std::vector<int> Signals() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_signals;
    }
    int MostAtOnce() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_mostAtOnce;
    }

    FleetSystemRunMaker Maker() {
        return [this](std::size_t system, const std::string& tries) {
            std::lock_guard<std::mutex> lock(m_mutex);
            const std::size_t made =
                static_cast<std::size_t>(std::count(m_made.begin(), m_made.end(), system));
            m_made.push_back(system);
            m_notes.push_back(tries);
            Record("made", system);
            const Results& results = m_tries.at(system);
            const SystemResult result = results.at(std::min(made, results.size() - 1));
            const std::string reason =
                "reason " + std::to_string(system) + "." + std::to_string(made + 1);
            return std::unique_ptr<IFleetSystemRun>(
                std::make_unique<FakeRun>(*this, system, result, reason));
        };
    }

private:
    class FakeRun final : public IFleetSystemRun {
    public:
        FakeRun(FakeRuns& runs, std::size_t system, SystemResult result, std::string reason)
            : m_runs(runs), m_system(system), m_result(result), m_reason(std::move(reason)) {}
        ~FakeRun() override {
            std::lock_guard<std::mutex> lock(m_runs.m_mutex);
            m_runs.Record("retired", m_system);
        }
        FakeRun(const FakeRun&) = delete;
        FakeRun& operator=(const FakeRun&) = delete;

        SystemOutcome Run() override {
            std::unique_lock<std::mutex> lock(m_runs.m_mutex);
            m_runs.Record("begin", m_system);
            m_runs.m_mostAtOnce = std::max(m_runs.m_mostAtOnce, ++m_runs.m_running);
            m_runs.m_changed.wait(lock,
                                  [&] { return m_stopped || m_runs.m_held.count(m_system) == 0; });
            --m_runs.m_running;
            m_runs.Record("end", m_system);
            SystemOutcome outcome;
            outcome.result = m_stopped ? SystemResult::kInterrupted : m_result;
            outcome.reason = m_stopped ? "Stopped by the operator" : m_reason;
            return outcome;
        }
        void Stop(int signalNumber) override {
            std::lock_guard<std::mutex> lock(m_runs.m_mutex);
            m_stopped = true;
            m_runs.Record("stopped", m_system);
            m_runs.m_signals.push_back(signalNumber);
            m_runs.m_changed.notify_all();
        }

    private:
        FakeRuns& m_runs;
        std::size_t m_system;
        SystemResult m_result;
        std::string m_reason;
        bool m_stopped = false;
    };

    // Under m_mutex.
    void Record(const char* what, std::size_t system) {
        m_events.push_back(std::string(what) + " " + std::to_string(system));
        m_changed.notify_all();
    }

    const std::vector<Results> m_tries;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::set<std::size_t> m_held;
    std::vector<std::string> m_events;
    Systems m_made;
    std::vector<std::string> m_notes;
    std::vector<int> m_signals;
    int m_running = 0;
    int m_mostAtOnce = 0;
};

// A plan of `count` systems named room-0, room-1, ... on loopback addresses (never contacted).
FleetPlan PlanOf(std::size_t count) {
    FleetPlan plan;
    for (std::size_t i = 0; i < count; ++i) {
        FleetSystem system;
        system.address = "127.0.0." + std::to_string(i + 1);
        system.name = "room-" + std::to_string(i);
        plan.systems.push_back(system);
    }
    return plan;
}

// A fleet runner over fake runs, with its display in a file the test reads back. Run goes on
// the test's thread; Start and Finish put it on a thread of its own while the test acts.
class Fleet {
public:
    Fleet(FleetPlan plan, FakeRuns& runs)
        : m_plan(std::move(plan)), m_runs(runs), m_out(std::tmpfile()) {
        std::vector<std::string> labels;
        for (const FleetSystem& system : m_plan.systems) labels.push_back(system.name);
        m_view = std::make_unique<FleetView>(m_out ? m_out : stderr, false, labels);
        m_runner =
            std::make_unique<FleetRunner>(m_plan, *m_view, stop, abort, runs.Maker(), m_clock);
    }
    ~Fleet() {
        // A failed expectation must not leave the runner waiting for a held run.
        m_runs.ReleaseAll();
        if (m_thread.joinable()) m_thread.join();
        m_runner.reset();
        if (m_out) std::fclose(m_out);
    }
    Fleet(const Fleet&) = delete;
    Fleet& operator=(const Fleet&) = delete;

    std::vector<SystemOutcome> Run() { return m_runner->Run(); }
    void Start() {
        m_thread = std::thread([this] { m_outcomes = m_runner->Run(); });
    }
    std::vector<SystemOutcome> Finish() {
        m_thread.join();
        return m_outcomes;
    }
    // What the display said, one line per event.
    std::string Said() const {
        if (!m_out) return "(no display file)";
        std::fflush(m_out);
        std::rewind(m_out);
        std::string text;
        char buffer[4096];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof(buffer), m_out)) > 0) text.append(buffer, n);
        return text;
    }

    RunInterrupt stop;
    RunInterrupt abort;

private:
    const FleetPlan m_plan;
    FakeRuns& m_runs;
    std::FILE* m_out;
    FleetClock m_clock;
    std::unique_ptr<FleetView> m_view;
    std::unique_ptr<FleetRunner> m_runner;
    std::thread m_thread;
    std::vector<SystemOutcome> m_outcomes;
};

Results ResultsOf(const std::vector<SystemOutcome>& outcomes) {
    Results results;
    for (const SystemOutcome& outcome : outcomes) results.push_back(outcome.result);
    return results;
}

std::size_t Position(const std::vector<std::string>& events, const std::string& event) {
    return static_cast<std::size_t>(std::find(events.begin(), events.end(), event) -
                                    events.begin());
}

// The canaries are the first systems made, and every other one is made after they all ended.
void ExpectCanariesFirst(const FakeRuns& runs, std::size_t canaries) {
    const Systems made = runs.Made();
    const std::vector<std::string> events = runs.Events();
    for (std::size_t k = 0; k < made.size(); ++k) {
        if (k < canaries) {
            EXPECT_EQ(made[k], k);
            continue;
        }
        for (std::size_t canary = 0; canary < canaries; ++canary)
            EXPECT_GT(Position(events, "made " + std::to_string(made[k])),
                      Position(events, "end " + std::to_string(canary)));
    }
}

constexpr auto kS = SystemResult::kSucceeded;
constexpr auto kF = SystemResult::kFailed;
constexpr auto kU = SystemResult::kUpToDate;
constexpr auto kSkip = SystemResult::kSkipped;
constexpr auto kNot = SystemResult::kNotStarted;

TEST(FleetRunner, CanariesGoFirstAndAloneAndOneThatFailsHoldsBackTheRest) {
    const struct {
        const char* name;
        int canary;
        bool check;
        std::vector<Results> tries;
        Results expected;
        const char* said;  // empty: nothing about canaries
    } cases[] = {
        {"a failed canary",
         1,
         false,
         {{kF}, {kS}, {kS}, {kS}},
         {kF, kSkip, kSkip, kSkip},
         "A canary did not succeed (1): no other system starts"},
        {"the second of two canaries fails",
         2,
         false,
         {{kS}, {kF}, {kS}, {kS}},
         {kS, kF, kSkip, kSkip},
         "A canary did not succeed (2): no other system starts"},
        {"canaries updated or up to date",
         2,
         false,
         {{kU}, {kS}, {kF}, {kS}},
         {kU, kS, kF, kS},
         "The canaries succeeded: the other systems start"},
        {"a check fleet has no canaries",
         1,
         true,
         {{SystemResult::kCannot}, {SystemResult::kReady}, {SystemResult::kReady}},
         {SystemResult::kCannot, SystemResult::kReady, SystemResult::kReady},
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeRuns runs(c.tries);
        FleetPlan plan = PlanOf(c.tries.size());
        plan.options.jobs = 4;
        plan.options.canary = c.canary;
        plan.options.check = c.check;
        Fleet fleet(plan, runs);
        const std::vector<SystemOutcome> outcomes = fleet.Run();
        EXPECT_EQ(ResultsOf(outcomes), c.expected);
        const Systems made = runs.Made();
        const std::size_t skipped =
            static_cast<std::size_t>(std::count(c.expected.begin(), c.expected.end(), kSkip));
        EXPECT_EQ(made.size(), c.tries.size() - skipped) << "a held back system was started";
        for (std::size_t i = 0; i < outcomes.size(); ++i) {
            if (outcomes[i].result == kSkip) {
                EXPECT_EQ(outcomes[i].reason, "held back: a canary did not succeed");
            }
        }
        const std::string said = fleet.Said();
        if (*c.said) {
            EXPECT_NE(said.find(c.said), std::string::npos) << said;
        } else {
            EXPECT_EQ(said.find("canar"), std::string::npos) << said;
        }
        if (!c.check) ExpectCanariesFirst(runs, static_cast<std::size_t>(c.canary));
    }
}

TEST(FleetRunner, AfterMaxFailuresNoNewSystemStarts) {
    FakeRuns runs({{kF}, {kS}, {kF}, {kS}, {kS}});
    FleetPlan plan = PlanOf(5);
    plan.options.jobs = 1;
    plan.options.maxFailures = 2;
    Fleet fleet(plan, runs);
    const std::vector<SystemOutcome> outcomes = fleet.Run();
    EXPECT_EQ(ResultsOf(outcomes), (Results{kF, kS, kF, kSkip, kSkip}));
    EXPECT_EQ(runs.Made(), (Systems{0, 1, 2}));
    EXPECT_EQ(outcomes[3].reason, "held back: 2 failed (--max-failures 2)");
    EXPECT_EQ(outcomes[0].reason, "reason 0.1");
    const std::string said = fleet.Said();
    EXPECT_NE(said.find("No new system starts: 2 failed, the limit is 2"), std::string::npos)
        << said;
}

// The limit holds back new starts only: an update running when it is reached goes on to its end.
TEST(FleetRunner, AnUpdateRunningWhenTheLimitIsReachedEndsOnItsOwn) {
    FakeRuns runs({{kF}, {kS}, {kS}, {kS}});
    runs.Hold({1});
    FleetPlan plan = PlanOf(4);
    plan.options.jobs = 2;
    plan.options.maxFailures = 1;
    Fleet fleet(plan, runs);
    fleet.Start();
    // System 0's failure has been counted once the runner lets its run go.
    ASSERT_TRUE(runs.WaitFor("retired 0"));
    ASSERT_TRUE(runs.WaitFor("begin 1"));
    runs.Release({1});
    const std::vector<SystemOutcome> outcomes = fleet.Finish();
    EXPECT_EQ(ResultsOf(outcomes), (Results{kF, kS, kSkip, kSkip}));
    EXPECT_EQ(runs.Made(), (Systems{0, 1}));
    EXPECT_EQ(Position(runs.Events(), "stopped 1"), runs.Events().size());
}

TEST(FleetRunner, AFirstStopStartsNoMoreAndASecondStopsTheRunningOnes) {
    const struct {
        const char* name;
        int stops;
        Results expected;
    } cases[] = {
        {"one stop: the running updates finish", 1, {kS, kS, kNot, kNot}},
        {"two stops: the running updates are stopped",
         2,
         {SystemResult::kInterrupted, SystemResult::kInterrupted, kNot, kNot}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeRuns runs({{kS}, {kS}, {kS}, {kS}});
        runs.Hold({0, 1});
        FleetPlan plan = PlanOf(4);
        plan.options.jobs = 2;
        Fleet fleet(plan, runs);
        fleet.Start();
        ASSERT_TRUE(runs.WaitFor("begin 0"));
        ASSERT_TRUE(runs.WaitFor("begin 1"));
        fleet.stop.Request(kSigInt);
        if (c.stops == 2) {
            fleet.abort.Request(kSigInt);
            // Bounded: a runner that never passes the stop on would otherwise wait for ever.
            ASSERT_TRUE(runs.WaitFor("stopped 0"));
            ASSERT_TRUE(runs.WaitFor("stopped 1"));
        } else {
            runs.Release({0, 1});
        }
        const std::vector<SystemOutcome> outcomes = fleet.Finish();
        EXPECT_EQ(ResultsOf(outcomes), c.expected);
        EXPECT_EQ(runs.Made(), (Systems{0, 1}));
        EXPECT_EQ(outcomes[2].reason, "stopped by the operator before its turn");
        const std::vector<std::string> events = runs.Events();
        const bool stopped0 = Position(events, "stopped 0") < events.size();
        const bool stopped1 = Position(events, "stopped 1") < events.size();
        EXPECT_EQ(stopped0, c.stops == 2);
        EXPECT_EQ(stopped1, c.stops == 2);
        if (c.stops == 2) {
            EXPECT_EQ(runs.Signals(), (std::vector<int>{kSigInt, kSigInt}));
        }
        // The operator hears at once that the stop was taken.
        const std::string said = fleet.Said();
        EXPECT_NE(said.find("Stopping: no new system starts"), std::string::npos) << said;
    }
}

TEST(FleetRunner, SystemsStartInTheirTurnAtMostJobsAtOnce) {
    // One at a time, in the inventory's order; systems a resumed fleet found done are left out.
    {
        FakeRuns runs({{kS}, {kS}, {kF}, {kS}, {kS}});
        FleetPlan plan = PlanOf(5);
        plan.options.jobs = 1;
        plan.systems[1].earlierResult = "succeeded";
        plan.systems[3].earlierResult = "up_to_date";
        Fleet fleet(plan, runs);
        const std::vector<SystemOutcome> outcomes = fleet.Run();
        EXPECT_EQ(runs.Made(), (Systems{0, 2, 4}));
        EXPECT_EQ(runs.MostAtOnce(), 1);
        EXPECT_EQ(ResultsOf(outcomes), (Results{kS, kS, kF, kU, kS}));
        for (const std::size_t earlier : Systems{1, 3}) {
            EXPECT_TRUE(outcomes[earlier].earlier);
            EXPECT_EQ(outcomes[earlier].tries, 0);
            EXPECT_EQ(outcomes[earlier].reason, "done in the earlier run (--resume)");
        }
        const std::vector<std::string> events = runs.Events();
        EXPECT_LT(Position(events, "end 0"), Position(events, "made 2"));
        EXPECT_LT(Position(events, "end 2"), Position(events, "made 4"));
    }
    // Three at once: the first three run side by side (each waits until all three have begun),
    // and no fourth starts until one of them ends.
    {
        FakeRuns runs({{kS}, {kS}, {kS}, {kS}, {kS}});
        runs.Hold({0, 1, 2});
        FleetPlan plan = PlanOf(5);
        plan.options.jobs = 3;
        Fleet fleet(plan, runs);
        fleet.Start();
        for (const char* event : {"begin 0", "begin 1", "begin 2"})
            ASSERT_TRUE(runs.WaitFor(event)) << event;
        runs.Release({0, 1, 2});
        const std::vector<SystemOutcome> outcomes = fleet.Finish();
        EXPECT_EQ(ResultsOf(outcomes), (Results{kS, kS, kS, kS, kS}));
        EXPECT_EQ(runs.Made(), (Systems{0, 1, 2, 3, 4}));
        EXPECT_EQ(runs.MostAtOnce(), 3);
        const std::vector<std::string> events = runs.Events();
        const std::size_t firstEnd = std::min(
            {Position(events, "end 0"), Position(events, "end 1"), Position(events, "end 2")});
        EXPECT_LT(firstEnd, Position(events, "made 3"));
    }
}

// --retry-failed: the failed systems go again after the others, in their order, each told why
// its tries before failed; a system tried again counts once towards --max-failures.
TEST(FleetRunner, FailedSystemsAreTriedAgainAtTheEndAndCountOnce) {
    FakeRuns runs({{kF, kF, kS}, {kS}, {kF, kS}});
    FleetPlan plan = PlanOf(3);
    plan.options.jobs = 1;
    plan.options.retryFailed = 2;
    plan.options.maxFailures = 3;
    Fleet fleet(plan, runs);
    const std::vector<SystemOutcome> outcomes = fleet.Run();
    EXPECT_EQ(runs.Made(), (Systems{0, 1, 2, 0, 2, 0}));
    EXPECT_EQ(runs.TryNotes(),
              (std::vector<std::string>{"", "", "", "try 1: reason 0.1", "try 1: reason 2.1",
                                        "try 1: reason 0.1; try 2: reason 0.2"}));
    EXPECT_EQ(ResultsOf(outcomes), (Results{kS, kS, kS}));
    EXPECT_EQ(outcomes[0].tries, 3);
    EXPECT_EQ(outcomes[1].tries, 1);
    EXPECT_EQ(outcomes[2].tries, 2);
    const std::string said = fleet.Said();
    EXPECT_NE(said.find("Trying room-0 again (try 2 of 3, --retry-failed): reason 0.1"),
              std::string::npos)
        << said;
    EXPECT_EQ(said.find("No new system starts"), std::string::npos) << said;
}

}  // namespace
}  // namespace quillmarch::fleet
