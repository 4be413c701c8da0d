#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "algo/system/lua.hpp"
#include "basic/assert.hpp"
#include "tests/support/testenv.hpp"

namespace {

using algo::Lua;
using algo::LuaError;

// A wrapper with a fresh state and the standard libraries, as a host would set it up.
struct LuaFixture : testing::Test {
    Lua lua;
    LuaFixture() {
        lua_State* L = luaL_newstate();
        luaL_openlibs(L);
        lua.setState(L);
    }
    lua_State* L() { return lua.getState(); }
    double global(const char* name) {
        lua_getglobal(L(), name);
        double v = lua_tonumber(L(), -1);
        lua_pop(L(), 1);
        return v;
    }
};

// The message of an assertion raised by f, with its source file checked.
template <class F>
std::string assertMessage(F f) {
    try {
        f();
    } catch (const basic::AssertError& e) {
        EXPECT_EQ(e.file(), "algo/system/lua.cpp");
        return e.message();
    }
    return "(no assertion)";
}

std::string stderrText() {
    std::fflush(stderr);
    return testenv::readFile(testenv::workDir() + "/stderr.txt");
}

// Log messages (without the stamp column) from the last "Lua panic!" on.
std::vector<std::string> lastDump() {
    std::string text = testenv::logText();
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        lines.push_back(line.size() > 18 && line.compare(16, 2, ": ") == 0 ? line.substr(18)
                                                                           : line);
        at = end + 1;
    }
    std::vector<std::string> dump;
    for (std::size_t i = lines.size(); i-- > 0;)
        if (lines[i] == "Lua panic!") return {lines.begin() + static_cast<long>(i), lines.end()};
    return dump;
}

int probe(lua_State* L) {
    algo::luaDump(L);
    return 0;
}
int answer(lua_State* L) {
    lua_pushnumber(L, 42);
    return 1;
}

using LuaReads = LuaFixture;

TEST_F(LuaReads, ToIntTruncatesTowardZeroAndRefusesWhatDoesNotFit) {
    lua.pushNumber(2.9);
    lua.pushNumber(-2.9);
    lua.pushString("7.8");
    EXPECT_EQ(lua.toInt(-3), 2);
    EXPECT_EQ(lua.toInt(-2), -2);
    EXPECT_EQ(lua.toInt(-1), 7);
    lua.pushNumber(-2147483648.5);
    EXPECT_EQ(lua.toInt(-1), INT32_MIN);
    lua.pushNumber(3e9);
    EXPECT_NE(assertMessage([&] { lua.toInt(-1); }).find("32-bit"), std::string::npos);
    lua.pushNumber(std::nan(""));
    EXPECT_NE(assertMessage([&] { lua.toInt(-1); }).find("32-bit"), std::string::npos);
}

TEST_F(LuaReads, ToStrConvertsANumberInPlace) {
    lua.pushNumber(10);
    EXPECT_EQ(lua.typeName(-1), "number");
    EXPECT_EQ(lua.toStr(-1), "10");
    EXPECT_EQ(lua.typeName(-1), "string");
    EXPECT_EQ(lua.getTop(), 1);
}

TEST_F(LuaReads, EmbeddedZeroBytesSurviveBothWays) {
    const std::string bytes("a\0b\0", 4);
    lua.pushString(bytes);
    std::string_view back = lua.toStr(-1);
    EXPECT_EQ(back.size(), 4u);
    EXPECT_EQ(std::string(back), bytes);
    EXPECT_EQ(lua_objlen(L(), -1), 4u);
}

TEST_F(LuaReads, ToDoubleTakesNumericStringsOnly) {
    lua.pushString("3.5");
    EXPECT_EQ(lua.toDouble(-1), 3.5);
    lua.pushString("abc");
    EXPECT_EQ(assertMessage([&] { lua.toDouble(-1); }), "doubleではないようです");
    EXPECT_EQ(assertMessage([&] { lua.toInt(-1); }), "doubleではないようです");
    // The refused slot is left as it was.
    EXPECT_EQ(lua.getTop(), 2);
    EXPECT_EQ(lua.toStr(-1), "abc");
}

TEST_F(LuaReads, EachReadNamesItsMismatch) {
    lua.pushNumber(1);
    lua_newtable(L());
    EXPECT_EQ(assertMessage([&] { lua.toBool(-2); }), "boolだと思ったのに");
    EXPECT_EQ(assertMessage([&] { lua.toStr(-1); }), "文字列だと思いました");
    EXPECT_EQ(assertMessage([&] { lua.toPointer(-2); }), "ポインタじゃない");
    EXPECT_EQ(assertMessage([&] { lua.toFunction(-2); }), "関数を受け取る予定でした");
    // Slots that do not exist, above the top or below the bottom, are mismatches too.
    EXPECT_EQ(assertMessage([&] { lua.toDouble(5); }), "doubleではないようです");
    EXPECT_EQ(assertMessage([&] { lua.toStr(-3); }), "文字列だと思いました");
    EXPECT_EQ(assertMessage([&] { lua.toBool(0); }), "boolだと思ったのに");
    EXPECT_EQ(lua.getTop(), 2);
}

TEST_F(LuaReads, ToFunctionRefusesLuaFunctionsAndReturnsHostOnes) {
    lua.registerFunction("answer", answer);
    lua.setSource("function twice(x) return 2 * x end");
    lua.run();
    lua.pushString("twice");
    lua.getTable(LUA_GLOBALSINDEX);
    EXPECT_EQ(lua.typeName(-1), "function");
    EXPECT_EQ(assertMessage([&] { lua.toFunction(-1); }), "関数を受け取る予定でした");
    lua.pushString("answer");
    lua.getTable(LUA_GLOBALSINDEX);
    EXPECT_EQ(lua.toFunction(-1), &answer);
    lua.setSource("result = answer() + 1");
    lua.run();
    EXPECT_EQ(global("result"), 43);
}

TEST_F(LuaReads, PushesKeepTheirValues) {
    lua.pushUint(4294967295u);
    lua.pushInt(-5);
    lua.pushReal(1.25L);
    lua.pushFloat(0.5f);
    lua.pushBool(true);
    lua.pushBool(false);
    lua.pushNil();
    int object = 0;
    lua.pushObject(&object);
    lua.pushFunction(answer);
    EXPECT_EQ(lua.getTop(), 9);
    EXPECT_EQ(lua.toDouble(1), 4294967295.0);
    EXPECT_EQ(lua.toInt(2), -5);
    EXPECT_EQ(lua.toDouble(3), 1.25);
    EXPECT_EQ(lua.toDouble(4), 0.5);
    EXPECT_TRUE(lua.toBool(5));
    EXPECT_FALSE(lua.toBool(6));
    EXPECT_EQ(lua.typeName(7), "nil");
    EXPECT_EQ(lua.toPointer(8), &object);
    EXPECT_EQ(lua.toFunction(9), &answer);
    lua.pop(3);
    EXPECT_EQ(lua.getTop(), 6);
    EXPECT_NE(assertMessage([&] { lua.pop(7); }).find("cannot pop"), std::string::npos);
    lua.pop(0);
    EXPECT_EQ(lua.getTop(), 6);
}

TEST_F(LuaReads, ManyPushesGrowTheStackSafely) {
    // Lua only guarantees twenty free slots; far more must still land intact.
    for (int i = 0; i < 500; ++i) lua.pushInt(i);
    EXPECT_EQ(lua.getTop(), 500);
    for (int i = 0; i < 500; ++i) ASSERT_EQ(lua.toInt(i + 1), i);
}

TEST_F(LuaReads, TypeNamesCoverEveryTypeAndRefuseEmptySlots) {
    lua.pushNil();
    lua.pushBool(true);
    lua.pushPointer(nullptr);
    lua.pushNumber(1);
    lua.pushString("s");
    lua_newtable(L());
    lua.pushFunction(answer);
    lua_newuserdata(L(), 8);
    lua_newthread(L());
    const char* names[] = {"nil",   "boolean",  "lightuserdata", "number", "string",
                           "table", "function", "userdata",      "thread"};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(lua.typeName(i + 1), names[i]);
    EXPECT_EQ(lua.typeName(LUA_GLOBALSINDEX), "table");
    EXPECT_NE(assertMessage([&] { lua.typeName(10); }).find("holds no value"), std::string::npos);
    EXPECT_NE(assertMessage([&] { lua.typeName(-10); }).find("holds no value"), std::string::npos);
}

TEST_F(LuaReads, TablesStoreAndFetchByKey) {
    lua_newtable(L());
    lua.pushString("k");
    lua.pushNumber(12);
    lua.setTable(1);
    EXPECT_EQ(lua.getTop(), 1);
    lua.pushString("k");
    lua.getTable(1);
    EXPECT_EQ(lua.toInt(-1), 12);
    lua.pushString("missing");
    lua.getTable(1);
    EXPECT_EQ(lua.typeName(-1), "nil");
}

TEST(LuaObject, WithoutAStateEveryOperationIsAnAssertion) {
    Lua lua;
    EXPECT_TRUE(lua.isDone());
    EXPECT_EQ(lua.source(), "");
    lua.run();  // done: nothing to do, no state needed
    EXPECT_NE(assertMessage([&] { lua.getTop(); }).find("no state"), std::string::npos);
    EXPECT_NE(assertMessage([&] { lua.pushInt(1); }).find("no state"), std::string::npos);
    EXPECT_NE(assertMessage([&] { lua.toInt(1); }).find("no state"), std::string::npos);
    lua.setSource("x = 1");
    EXPECT_FALSE(lua.isDone());
    EXPECT_NE(assertMessage([&] { lua.run(); }).find("no state"), std::string::npos);
}

using LuaRun = LuaFixture;

TEST_F(LuaRun, ASecondRunDoesNothingUntilNewSourceIsGiven) {
    lua.setSource("count = (count or 0) + 1");
    lua.run();
    EXPECT_TRUE(lua.isDone());
    lua.run();
    EXPECT_EQ(global("count"), 1);
    lua.setSource(lua.source());
    lua.run();
    EXPECT_EQ(global("count"), 2);
}

TEST_F(LuaRun, ChunkResultsStayOnTheStack) {
    lua.setSource("return 1, 'two'");
    lua.run();
    EXPECT_EQ(lua.getTop(), 2);
    EXPECT_EQ(lua.toStr(-1), "two");
}

TEST_F(LuaRun, SyntaxErrorGoesToStandardErrorAndTheLog) {
    std::string errBefore = stderrText();
    lua.setSource("x = = 1");
    try {
        lua.run();
        FAIL() << "no error";
    } catch (const LuaError& e) {
        EXPECT_STREQ(e.what(), "パースエラー");
        EXPECT_EQ(e.toString(),
                  "パースエラー / lua:[string \"x = = 1\"]:1: unexpected symbol near '='");
    }
    EXPECT_FALSE(lua.isDone());
    EXPECT_EQ(lua.getTop(), 0);  // the message was removed
    std::string err = stderrText().substr(errBefore.size());
    EXPECT_EQ(err, "[string \"x = = 1\"]:1: unexpected symbol near '='\n");
    EXPECT_EQ(lastDump(),
              (std::vector<std::string>{"Lua panic!", " -- event = 0", " -- name = ",
                                        " -- namewhat = ", " -- what = ", " -- currentline = 0",
                                        " -- nups = 0", " -- linedefined = 0"}));
    // The shared object only borrowed the state.
    EXPECT_EQ(algo::sharedLua().getState(), nullptr);
}

TEST_F(LuaRun, AStringAlreadyOnTopIsShownAsErrmsg) {
    lua.pushString("left over");
    lua.setSource("error('boom')");
    std::string errBefore = stderrText();
    EXPECT_THROW(lua.run(), LuaError);
    EXPECT_EQ(stderrText().substr(errBefore.size()), "[string \"error('boom')\"]:1: boom\n");
    auto dump = lastDump();
    ASSERT_GE(dump.size(), 2u);
    EXPECT_EQ(dump[1], " -- errmsg = left over");
    EXPECT_EQ(dump.size(), 9u);
    EXPECT_EQ(lua.getTop(), 1);
}

TEST_F(LuaRun, AlertFunctionReceivesTheMessageInsteadOfStandardError) {
    lua.setSource("function _ALERT(m) alerted = m end");
    lua.run();
    std::string errBefore = stderrText();
    lua.setSource("local t = nil\n\nt.x = 1");
    try {
        lua.run();
        ADD_FAILURE() << "no error";
    } catch (const LuaError& e) {
        // A run-time error: the logged line carries Lua's message, whoever got it first.
        EXPECT_STREQ(e.what(), "パースエラー");
        EXPECT_EQ(basic::describe(e),
                  "[algo::LuaError] パースエラー / lua:[string \"local t = nil...\"]:3: attempt to "
                  "index local 't' (a nil value)");
    }
    EXPECT_EQ(stderrText(), errBefore);
    lua_getglobal(L(), "alerted");
    EXPECT_NE(std::string(lua_tostring(L(), -1)).find("attempt to index"), std::string::npos);
    lua_pop(L(), 1);
    EXPECT_EQ(lua.getTop(), 0);

    // A handler that fails itself does not end the program; its error is shown instead.
    lua.setSource("function _ALERT(m) error('handler broke') end");
    lua.run();
    lua.setSource("error('first')");
    EXPECT_THROW(lua.run(), LuaError);
    EXPECT_NE(stderrText().find("handler broke\n"), std::string::npos);
    EXPECT_EQ(lua.getTop(), 0);
}

TEST_F(LuaRun, NonStringErrorObjectIsNamed) {
    std::string errBefore = stderrText();
    lua.setSource("error({})");
    EXPECT_THROW(lua.run(), LuaError);
    EXPECT_EQ(stderrText().substr(errBefore.size()), "(error object is a table value)\n");
}

TEST_F(LuaRun, ZeroByteInTheSourceIsAnErrorNotASilentEnd) {
    lua.setSource(std::string("x = 1\0x = 2", 11));
    EXPECT_THROW(lua.run(), LuaError);
    EXPECT_FALSE(lua.isDone());
    EXPECT_EQ(global("x"), 0);  // nothing of the chunk ran
}

TEST_F(LuaRun, RecordDescribesTheRunningLuaFunction) {
    lua.registerFunction("probe", probe);
    lua.setSource("local a = 1\nfunction f()\n  probe()\nend\nf()");
    lua.run();
    const lua_Debug& r = algo::debugRecord();
    EXPECT_STREQ(r.what, "Lua");
    EXPECT_EQ(r.currentline, 3);
    EXPECT_EQ(r.linedefined, 2);
    auto dump = lastDump();
    ASSERT_EQ(dump.size(), 8u);
    EXPECT_EQ(dump[2], " -- name = f");
    EXPECT_EQ(dump[3], " -- namewhat = global");
    EXPECT_EQ(dump[4], " -- what = Lua");
    EXPECT_EQ(dump[5], " -- currentline = 3");
    EXPECT_EQ(dump[7], " -- linedefined = 2");
}

TEST(LuaDump, NullStateGivesTheBareBlock) {
    EXPECT_EQ(algo::luaDump(nullptr), 0);
    EXPECT_EQ(lastDump().size(), 8u);
    LuaError e("x", nullptr);
    EXPECT_EQ(basic::describe(e), "[algo::LuaError] x");
}

}  // namespace
