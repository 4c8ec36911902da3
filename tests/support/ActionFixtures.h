#pragma once

#include "swf/Tags.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

// Action bytecode written in code, for tests, benchmarks and fuzz seeds.
namespace quorvane::fixtures {

// Action codes by their format names, for readable scripts.
enum Action : std::uint8_t {
    kNextFrame = 0x04,
    kPlay = 0x06,
    kStop = 0x07,
    kAdd = 0x0A,
    kSubtract = 0x0B,
    kMultiply = 0x0C,
    kDivide = 0x0D,
    kNot = 0x12,
    kPop = 0x17,
    kGetVariable = 0x1C,
    kSetVariable = 0x1D,
    kGetProperty = 0x22,
    kSetProperty = 0x23,
    kTrace = 0x26,
    kThrow = 0x2A,
    kDefineLocal = 0x3C,
    kCallFunction = 0x3D,
    kReturn = 0x3E,
    kNewObject = 0x40,
    kInitArray = 0x42,
    kInitObject = 0x43,
    kTypeOf = 0x44,
    kAdd2 = 0x47,
    kLess2 = 0x48,
    kEquals2 = 0x49,
    kPushDuplicate = 0x4C,
    kGetMember = 0x4E,
    kSetMember = 0x4F,
    kIncrement = 0x50,
    kCallMethod = 0x52,
    kNewMethod = 0x53,
    kEnumerate2 = 0x55,
    kStrictEquals = 0x66,
    kJump = 0x99,
    kIf = 0x9D,
};

class ActionScript {
public:
    ActionScript& op(std::uint8_t code);
    ActionScript& push(const std::string& text);
    ActionScript& push(const char* text) { return push(std::string(text)); }
    ActionScript& push(double number);
    ActionScript& pushBool(bool value);
    ActionScript& pushUndefined();
    ActionScript& pushRegister(std::uint8_t index);
    ActionScript& storeRegister(std::uint8_t index);
    ActionScript& gotoLabel(const std::string& label);
    ActionScript& gotoFrame(std::uint16_t frame);
    // An action with a body written as given.
    ActionScript& raw(std::uint8_t code, const std::vector<std::uint8_t>& body);
    // DefineFunction2 with every parameter in a register from 1 up; by
    // default one register more than parameters, and `this`, `arguments`
    // and `super` suppressed.
    static constexpr std::uint16_t kSuppressAll = 0x2 | 0x8 | 0x20;
    ActionScript& defineFunction2(const std::string& name, std::uint8_t parameterCount,
                                  const ActionScript& body);
    ActionScript& defineFunction2(const std::string& name, std::uint8_t parameterCount,
                                  const ActionScript& body, std::uint8_t registerCount,
                                  std::uint16_t flags);
    ActionScript& defineFunction(const std::string& name,
                                 std::initializer_list<std::string> parameters,
                                 const ActionScript& body);
    // try { tryBody } catch (name) { catchBody } finally { finallyBody }
    ActionScript& tryCatchFinally(const std::string& name, const ActionScript& tryBody,
                                  const ActionScript& catchBody, const ActionScript& finallyBody);

    // Jump and If with their offsets to be set once the target is known.
    std::size_t jumpSite(std::uint8_t code);
    void land(std::size_t site);
    std::size_t here() const { return m_bytes.size(); }
    void jumpBack(std::uint8_t code, std::size_t target);

    const std::vector<std::uint8_t>& bytes() const { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};

// A DoAction tag of the script, End action appended.
swf::Tag doAction(const ActionScript& script);

} // namespace quorvane::fixtures
