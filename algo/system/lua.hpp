#pragma once
// A Lua state held by an object: typed reads that insist on the Lua type, pushes of host
// values, globals registration, and a one-shot run of a chunk of source held by the object.
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
// Raised when a chunk fails; constructing one writes the diagnostic block of the state to the
// log first.
class LuaError : public basic::Error {
  public:
    LuaError(const std::string& message, lua_State* state, std::string luaMessage = {});
    // The message, then " / lua:" and Lua's own message when there is one.
    std::string toString() const override;
    const std::string& luaMessage() const { return luaMessage_; }

  private:
    std::string luaMessage_;
};

/// A Lua 5.1 state held by an object: typed reads that insist on the Lua type, pushes,
/// globals, and a one-shot run of a chunk of source. The object never creates a state: it
/// owns the one given with setState and closes it when destroyed. It reads no files either;
/// the host reads its script (algo::read finds it in data/ or an archive) and sets the text.
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
    // done, no state, no source.
    Lua() = default;
    // Closes the state it was given.
    virtual ~Lua();
    Lua(const Lua&) = delete;
    Lua& operator=(const Lua&) = delete;

    // Runs the source once, as a chunk named by its own text. On failure Lua's message goes to
    // the global _ALERT when that is a function, else to standard error, and LuaError
    // "パースエラー" is raised with done left false. Results of the chunk stay on the stack.
    virtual void run();
    // The function becomes the Lua global of that name.
    virtual void registerFunction(const std::string& name, lua_CFunction function);

    // Typed reads: an assertion error with a fixed message when the slot's type does not fit.
    virtual bool toBool(int index);
    virtual double toDouble(int index);
    // toDouble truncated toward zero; a value outside the 32-bit range is refused.
    virtual std::int32_t toInt(int index);
    // Lua's own bytes (zero bytes kept), valid while the value is reachable in Lua. A number
    // in the slot is turned into a string in place.
    virtual std::string_view toStr(int index);
    virtual void* toPointer(int index);
    // Only a host function: a function written in Lua is refused.
    virtual lua_CFunction toFunction(int index);

    virtual void pushNumber(double value);
    virtual void pushReal(long double value);
    virtual void pushFloat(float value);
    virtual void pushInt(std::int32_t value);
    virtual void pushUint(std::uint32_t value);
    virtual void pushBool(bool value);
    virtual void pushString(std::string_view text);
    virtual void pushNil();
    virtual void pushFunction(lua_CFunction function);
    virtual void pushPointer(void* pointer);
    // As light userdata: Lua does not keep the object alive.
    virtual void pushObject(void* object);

    // Removes n values.
    virtual void pop(int n);
    virtual int getTop();
    // "nil", "boolean", ... for a slot that holds a value.
    virtual std::string_view typeName(int index);
    // Pops a key, pushes table[key] of the table at index.
    virtual void getTable(int index);
    // Pops a key and a value, stores table[key] = value in the table at index.
    virtual void setTable(int index);
    virtual lua_State* getState() const { return luaState_; }
    // Takes the state without closing one held before; this object closes it at the end.
    virtual void setState(lua_State* state) { luaState_ = state; }

    // The chunk run executes next; marks it not yet run.
    void setSource(std::string source);
    const std::string& source() const { return source_; }
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

// Writes the diagnostic block of a state to the log ("Lua panic!", the error message when the
// top slot is a string, then the activation record). Shaped as a Lua panic function.
int luaDump(lua_State* state);

// The module's own object, borrowed by luaDump to read a state; it never keeps one.
Lua& sharedLua();

// The activation record of the last diagnostic block: the innermost function written in Lua
// on the call stack (else the innermost call), all zero when nothing was running.
const lua_Debug& debugRecord();

namespace lua {
void moduleStart();
void moduleEnd();
}  // namespace lua

}  // namespace algo
