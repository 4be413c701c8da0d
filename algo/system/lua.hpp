#pragma once
/// @file
/// A Lua state held by an object: typed reads that insist on the Lua type, pushes of host
/// values, globals registration, and a one-shot run of a chunk of source held by the object.
#include <lua.hpp>

#include <cstdint>
#include <string>
#include <string_view>

#include "basic/error.hpp"

namespace algo {

/// The error of a failed Lua::run ("パースエラー", whether the chunk failed to load or to
/// run). Constructing it writes the diagnostic block ("Lua panic!" and the activation record)
/// to the log; Lua's own message has gone to the script's _ALERT function when it defines
/// one, else to standard error (stderr.txt). what() is the fixed message; toString(), the
/// line an error handler logs, adds " / lua:" and Lua's message.
///
/// @code
/// try {
///     lua.run();
/// } catch (const algo::LuaError& e) {
///     // keep drawing with the last script that ran; e.luaMessage() says what went wrong:
///     // [string "..."]:3: attempt to index local 't' (a nil value)
/// }
/// @endcode
class LuaError : public basic::Error {
  public:
    /// Writes the diagnostic block of `state` to the log (see luaDump), then holds `message`
    /// as what() and Lua's own message beside it. Needs the engine running (the Lua module).
    LuaError(const std::string& message, lua_State* state, std::string luaMessage = {});
    /// The message, then " / lua:" and Lua's own message when there is one.
    std::string toString() const override;
    /// Lua's own message (file, line and what went wrong); empty when none was given.
    const std::string& luaMessage() const { return luaMessage_; }

  private:
    std::string luaMessage_;
};

/// A Lua 5.1 state held by an object: typed reads that insist on the Lua type, pushes,
/// globals, and a one-shot run of a chunk of source. The object never creates a state: it
/// owns the one given with setState and closes it when destroyed. It reads no files either;
/// the host reads its script (algo::read finds it in data/ or an archive) and sets the text.
/// Every operation but getState and setState needs a state (an AssertError "Lua: no state has
/// been set" without one). An `index` is a Lua stack index: 1 the bottom, -1 the top, or a
/// pseudo-index such as LUA_GLOBALSINDEX; one that names no value counts as holding none.
///
/// @code
/// algo::Lua lua;
/// lua.setState(luaL_newstate());  // closed by ~Lua
/// luaL_openlibs(lua.getState());
/// algo::luaparticle::registerFunctions(lua);
/// lua.setSource("drawcircle(0, 0, 40, 255, 200, 0)");
/// lua.run();  // runs once; LuaError when the chunk fails
/// @endcode
class Lua {
  public:
    /// No state and no source; isDone() is true, so run() does nothing yet.
    Lua() = default;
    /// Closes the state it was given.
    virtual ~Lua();
    /// Not copyable: the object owns its state.
    Lua(const Lua&) = delete;
    /// Not copyable: the object owns its state.
    Lua& operator=(const Lua&) = delete;

    /// Runs the source once, as a chunk named by its own text; does nothing when it has run
    /// already (isDone). On failure Lua's message goes to the global _ALERT when that is a
    /// function, else to standard error, and LuaError "パースエラー" is raised with done left
    /// false. Results of the chunk stay on the stack.
    virtual void run();
    /// The function becomes the Lua global of that name. A null function is an AssertError.
    virtual void registerFunction(const std::string& name, lua_CFunction function);

    /// The boolean at `index`; anything else (nil and numbers too) is an AssertError
    /// "boolだと思ったのに".
    virtual bool toBool(int index);
    /// The number at `index`, or a string Lua reads as a number; else an AssertError
    /// "doubleではないようです".
    virtual double toDouble(int index);
    /// toDouble truncated toward zero (its AssertError included); a value outside the 32-bit
    /// range is an AssertError "Lua: number does not fit a 32-bit integer".
    virtual std::int32_t toInt(int index);
    /// Lua's own bytes (zero bytes kept), valid while the value is reachable in Lua. A number
    /// in the slot is turned into a string in place. Anything else is an AssertError
    /// "文字列だと思いました".
    virtual std::string_view toStr(int index);
    /// The light userdata at `index` (see pushPointer); anything else is an AssertError
    /// "ポインタじゃない".
    virtual void* toPointer(int index);
    /// The host (C) function at `index`; anything else, a function written in Lua too, is an
    /// AssertError "関数を受け取る予定でした".
    virtual lua_CFunction toFunction(int index);

    /// Pushes a number. Every push raises an AssertError "Lua: the stack cannot grow any
    /// further" when the stack has no room left.
    virtual void pushNumber(double value);
    /// Pushes the value as a Lua number (a double: precision beyond it is lost).
    virtual void pushReal(long double value);
    /// Pushes the value as a Lua number.
    virtual void pushFloat(float value);
    /// Pushes the value as a Lua number.
    virtual void pushInt(std::int32_t value);
    /// Pushes the value as a Lua number.
    virtual void pushUint(std::uint32_t value);
    /// Pushes a boolean.
    virtual void pushBool(bool value);
    /// Pushes a copy of the bytes as a Lua string (zero bytes kept).
    virtual void pushString(std::string_view text);
    /// Pushes nil.
    virtual void pushNil();
    /// Pushes a host function; a null one is an AssertError.
    virtual void pushFunction(lua_CFunction function);
    /// Pushes the pointer as light userdata: Lua does not keep the object alive.
    virtual void pushPointer(void* pointer);
    /// The same as pushPointer: light userdata, so Lua does not keep the object alive.
    virtual void pushObject(void* object);

    /// Removes the top n values; n from 0 to getTop(), else an AssertError.
    virtual void pop(int n);
    /// The number of values on the stack (the index of the top one).
    virtual int getTop();
    /// "nil", "boolean", "lightuserdata", "number", "string", "table", "function", "userdata"
    /// or "thread" for a slot that holds a value; an AssertError for one that holds none.
    virtual std::string_view typeName(int index);
    /// Pops a key, pushes table[key] of the table at index. An index with no value or an
    /// empty stack is an AssertError.
    virtual void getTable(int index);
    /// Pops a value (the top) and the key below it, and stores table[key] = value in the
    /// table at index. An index with no value or fewer than two values is an AssertError.
    virtual void setTable(int index);
    /// The state held, null before setState.
    virtual lua_State* getState() const { return luaState_; }
    /// Takes the state without closing one held before; this object closes it at the end.
    virtual void setState(lua_State* state) { luaState_ = state; }

    /// The chunk run executes next; marks it not yet run.
    void setSource(std::string source);
    /// The source set last.
    const std::string& source() const { return source_; }
    /// True when the source has run without error (and for a new object); false after
    /// setSource and after a failed run.
    bool isDone() const { return done_; }

  private:
    lua_State* state() const;
    // Lua's type of the slot, LUA_TNONE for an index that does not name one.
    int typeAt(int index) const;
    void reserve() const;

    lua_State* luaState_ = nullptr;
    bool done_ = true;
    std::string source_;
};

/// Writes the diagnostic block of a state to the log: "Lua panic!", " -- errmsg = " and the
/// message when the top slot is a string, then the activation record (" -- event = ",
/// " -- name = ", " -- namewhat = ", " -- what = ", " -- currentline = ", " -- nups = ",
/// " -- linedefined = "). Shaped as a Lua panic function; returns 0. Needs the engine running.
int luaDump(lua_State* state);

/// The module's own object, borrowed by luaDump to read a state; it never keeps one. An
/// AssertError outside the engine's run.
Lua& sharedLua();

/// The activation record of the last diagnostic block: the innermost function written in Lua
/// on the call stack (else the innermost call), all zero when nothing was running.
const lua_Debug& debugRecord();

/// The Lua module: the object the diagnostics read a state through.
namespace lua {
/// The module's start, run by algo::Engine: makes sharedLua(). Programs do not call it.
void moduleStart();
/// The module's end, run by algo::Engine: lets sharedLua() go (it closes no state).
void moduleEnd();
}  // namespace lua

}  // namespace algo
