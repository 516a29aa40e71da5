#include "platform/headless/Simulator.h"

#include <gtest/gtest.h>

#include <sstream>

namespace qm {

namespace {

struct SimulatedRun {
    int status;
    std::string trace;
    std::string errors;
};

SimulatedRun simulate(std::string const& script)
{
    std::istringstream input(script);
    std::ostringstream trace;
    std::ostringstream errors;
    Simulator simulator(trace);
    int const status = simulator.run(input, errors);
    return { status, trace.str(), errors.str() };
}

}

TEST(Simulator, BadLinesStopWithTheirLineNumberAfterTheTraceSoFar)
{
    struct Case {
        char const* script;
        char const* message;
    };
    Case const cases[] = {
        { "start /S\nfly 3\n", "line 2: unknown command 'fly'" },
        { "wait 30\n", "line 1: 'wait' must come after 'start'" },
        { "start /S\nscreen 800 600\n", "line 2: 'screen' must come before 'start'" },
        { "start /S\nstart /S\n", "line 2: the process has already started" },
        { "screen 0 600\n", "line 1: bad number '0'" },
        { "clock 02-30-2001 0\n", "line 1: bad date '02-30-2001'" },
        { "clock 02-03-2001 86400\n", "line 1: bad seconds '86400'" },
        { "clock 02-03-2001 1.2345\n", "line 1: bad seconds '1.2345'" },
        { "# comment\n\nstart /S\nwait -1\n", "line 4: bad number '-1'" },
        { "start /S\nmove 1e39 0\n", "line 2: bad number '1e39'" },
        { "start /S\npress 3 1 1\n", "line 2: bad button '3'" },
        { "start /S\nkey 40000\n", "line 2: bad number '40000'" },
        { "start /S\nset colour 1\n", "line 2: unknown value 'colour'" },
        { "start /S\nkey\n", "line 2: 'key' takes 1 value(s)" },
        { "start /S\nhide\nwait 30\nhide\n", "line 4: the window is already hidden" },
        { "start /S\nshow\n", "line 2: the window is not hidden" },
        { "start /S\nhide\nframe hidden.png\n", "line 3: nothing is drawn while the window is hidden" },
    };
    for (Case const& c : cases) {
        SimulatedRun const run = simulate(c.script);
        EXPECT_EQ(run.status, 2) << c.script;
        EXPECT_NE(run.errors.find(c.message), std::string::npos) << c.script << " gave " << run.errors;
    }
    SimulatedRun const partial = simulate("start /S\nwait 30\nbogus\n");
    EXPECT_NE(partial.trace.find("t=30 tick scroll"), std::string::npos);
}

TEST(Simulator, NothingIsReadAfterTheProcessEnds)
{
    SimulatedRun const run = simulate("start /S\nkey 27\nthis is not a command\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.trace.find("t=0 key 27\nt=0 end\n"), std::string::npos) << run.trace;
    SimulatedRun const quit = simulate("start /p 1234\nnonsense\n");
    EXPECT_EQ(quit.status, 0);
    EXPECT_EQ(quit.trace, "t=0 main quit\n");
}

TEST(Simulator, TheArgumentTextIsTheRestOfTheLineTakenLiterally)
{
    EXPECT_EQ(simulate("start /S \n").trace, "t=0 main quit\n");
    EXPECT_EQ(simulate("start\n").trace, "t=0 main quit\n");
    EXPECT_NE(simulate("start /s\r\n").trace.find("main run"), std::string::npos);
}

TEST(Simulator, AnErrorThatReachesThePlatformEndsTheRun)
{
    // A step of 3e38 pixels with the speed-up on leaves the single range
    // after about 8 s; the tick that overflows is the last event.
    SimulatedRun const run = simulate("start /S\nset speed 3e38\nkey 32\nwait 10000\nkey 27\n");
    EXPECT_NE(run.trace.find(" tick scroll\nt=8070 error 6 Overflow\n"), std::string::npos) << run.trace.substr(run.trace.size() - 400);
    EXPECT_EQ(run.trace.find("key 27"), std::string::npos);
}

TEST(Simulator, EventLinesFollowTheTraceFormat)
{
    SimulatedRun const run = simulate("start /S\nmove 100.4 300\n");
    EXPECT_EQ(run.trace,
        "t=0 load seed=1.86624e+09 | mode=scroll L=633.199158 T=284.75061 H=296 S=4.89299583 U=empty tag=\"43200\" "
        "caption=\"Booooooooooooooooooooooo\" banner=visible:\"Quilvenmoor ScreenSaver V1.41 : Folvaren\" mouse=0,0\n"
        "t=0 main run\n"
        "t=0 move 100.400002 300 record | mode=scroll L=633.199158 T=284.75061 H=296 S=4.89299583 U=empty tag=\"43200\" "
        "caption=\"Booooooooooooooooooooooo\" banner=visible:\"Quilvenmoor ScreenSaver V1.41 : Folvaren\" mouse=100,300\n");
}

}
