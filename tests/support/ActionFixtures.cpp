#include "ActionFixtures.h"

#include <cstring>

namespace quorvane::fixtures {

namespace {

void putU16(std::vector<std::uint8_t>& bytes, std::size_t value)
{
    bytes.push_back(std::uint8_t(value & 0xff));
    bytes.push_back(std::uint8_t(value >> 8 & 0xff));
}

void putString(std::vector<std::uint8_t>& bytes, const std::string& text)
{
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
}

} // namespace

ActionScript& ActionScript::op(swf::ActionCode code)
{
    m_bytes.push_back(std::uint8_t(code));
    return *this;
}

ActionScript& ActionScript::raw(swf::ActionCode code, const std::vector<std::uint8_t>& body)
{
    m_bytes.push_back(std::uint8_t(code));
    putU16(m_bytes, body.size());
    m_bytes.insert(m_bytes.end(), body.begin(), body.end());
    return *this;
}

ActionScript& ActionScript::append(const ActionScript& other)
{
    m_bytes.insert(m_bytes.end(), other.m_bytes.begin(), other.m_bytes.end());
    return *this;
}

ActionScript& ActionScript::push(const std::string& text)
{
    std::vector<std::uint8_t> body{0};
    putString(body, text);
    return raw(swf::ActionCode::Push, body);
}

ActionScript& ActionScript::push(double number)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &number, sizeof bits);
    std::vector<std::uint8_t> body{6};
    // High word first, each word little-endian.
    for (const std::uint64_t word : {bits >> 32, bits & 0xffffffffu}) {
        for (int i = 0; i < 4; ++i) {
            body.push_back(std::uint8_t(word >> (8 * i) & 0xff));
        }
    }
    return raw(swf::ActionCode::Push, body);
}

ActionScript& ActionScript::pushBool(bool value)
{
    return raw(swf::ActionCode::Push, {5, std::uint8_t(value ? 1 : 0)});
}

ActionScript& ActionScript::pushUndefined()
{
    return raw(swf::ActionCode::Push, {3});
}

ActionScript& ActionScript::pushNull()
{
    return raw(swf::ActionCode::Push, {2});
}

ActionScript& ActionScript::pushRegister(std::uint8_t index)
{
    return raw(swf::ActionCode::Push, {4, index});
}

ActionScript& ActionScript::storeRegister(std::uint8_t index)
{
    return raw(swf::ActionCode::StoreRegister, {index});
}

ActionScript& ActionScript::gotoLabel(const std::string& label)
{
    std::vector<std::uint8_t> body;
    putString(body, label);
    return raw(swf::ActionCode::GoToLabel, body);
}

ActionScript& ActionScript::gotoFrame(std::uint16_t frame)
{
    return raw(swf::ActionCode::GotoFrame, {std::uint8_t(frame & 0xff), std::uint8_t(frame >> 8)});
}

ActionScript& ActionScript::defineFunction2(const std::string& name, std::uint8_t parameterCount,
                                            const ActionScript& body)
{
    return defineFunction2(name, parameterCount, body, std::uint8_t(parameterCount + 1),
                           kSuppressAll);
}

ActionScript& ActionScript::defineFunction2(const std::string& name, std::uint8_t parameterCount,
                                            const ActionScript& body, std::uint8_t registerCount,
                                            std::uint16_t flags)
{
    std::vector<std::uint8_t> header;
    putString(header, name);
    putU16(header, parameterCount);
    header.push_back(registerCount);
    putU16(header, flags);
    for (std::uint8_t i = 1; i <= parameterCount; ++i) {
        header.push_back(i);
        putString(header, "p" + std::to_string(i));
    }
    putU16(header, body.bytes().size());
    raw(swf::ActionCode::DefineFunction2, header);
    m_bytes.insert(m_bytes.end(), body.bytes().begin(), body.bytes().end());
    return *this;
}

ActionScript& ActionScript::defineFunction(const std::string& name,
                                           std::initializer_list<std::string> parameters,
                                           const ActionScript& body)
{
    std::vector<std::uint8_t> header;
    putString(header, name);
    putU16(header, parameters.size());
    for (const std::string& parameter : parameters) {
        putString(header, parameter);
    }
    putU16(header, body.bytes().size());
    raw(swf::ActionCode::DefineFunction, header);
    m_bytes.insert(m_bytes.end(), body.bytes().begin(), body.bytes().end());
    return *this;
}

ActionScript& ActionScript::tryCatchFinally(const std::string& name, const ActionScript& tryBody,
                                            const ActionScript& catchBody,
                                            const ActionScript& finallyBody)
{
    std::vector<std::uint8_t> header{0x3};
    putU16(header, tryBody.bytes().size());
    putU16(header, catchBody.bytes().size());
    putU16(header, finallyBody.bytes().size());
    putString(header, name);
    raw(swf::ActionCode::Try, header);
    for (const ActionScript* part : {&tryBody, &catchBody, &finallyBody}) {
        m_bytes.insert(m_bytes.end(), part->bytes().begin(), part->bytes().end());
    }
    return *this;
}

std::size_t ActionScript::jumpSite(swf::ActionCode code)
{
    raw(code, {0, 0});
    return m_bytes.size();
}

void ActionScript::land(std::size_t site)
{
    const auto offset = static_cast<std::int16_t>(m_bytes.size() - site);
    m_bytes[site - 2] = std::uint8_t(offset & 0xff);
    m_bytes[site - 1] = std::uint8_t((offset >> 8) & 0xff);
}

void ActionScript::jumpBack(swf::ActionCode code, std::size_t target)
{
    const std::size_t site = jumpSite(code);
    const auto offset = static_cast<std::int16_t>(std::int64_t(target) - std::int64_t(site));
    m_bytes[site - 2] = std::uint8_t(offset & 0xff);
    m_bytes[site - 1] = std::uint8_t((offset >> 8) & 0xff);
}

swf::Tag doAction(const ActionScript& script)
{
    swf::Unknown tag;
    tag.code = 12;
    tag.data = script.bytes();
    tag.data.push_back(0);
    return swf::Tag{tag};
}

} // namespace quorvane::fixtures
