#pragma once

#include "swf/ActionCode.h"
#include "swf/Tags.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

// Action bytecode written in code, for tests, benchmarks and fuzz seeds.
namespace quorvane::fixtures {

class ActionScript {
public:
    ActionScript& op(swf::ActionCode code);
    ActionScript& push(const std::string& text);
    ActionScript& push(const char* text) { return push(std::string(text)); }
    ActionScript& push(double number);
    ActionScript& pushBool(bool value);
    ActionScript& pushUndefined();
    ActionScript& pushNull();
    ActionScript& pushRegister(std::uint8_t index);
    ActionScript& storeRegister(std::uint8_t index);
    ActionScript& gotoLabel(const std::string& label);
    ActionScript& gotoFrame(std::uint16_t frame);
    // An action with a body written as given.
    ActionScript& raw(swf::ActionCode code, const std::vector<std::uint8_t>& body);
    // Another script's actions after these.
    ActionScript& append(const ActionScript& other);
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
    std::size_t jumpSite(swf::ActionCode code);
    void land(std::size_t site);
    std::size_t here() const { return m_bytes.size(); }
    void jumpBack(swf::ActionCode code, std::size_t target);

    const std::vector<std::uint8_t>& bytes() const { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};

// A DoAction tag of the script, End action appended.
swf::Tag doAction(const ActionScript& script);

} // namespace quorvane::fixtures
