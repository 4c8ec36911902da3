#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <variant>

namespace quorvane::swf {

// A problem with a movie's bytes. The message names the tag and the byte
// offset (in the uncompressed movie) where reading went wrong, so that a bad
// lesson file can be diagnosed from one line on standard error.
struct Error {
    std::string message;

    bool operator==(const Error&) const = default;
};

// Either a value or the Error that prevented it; the engine never throws
// across its API, so every fallible operation returns one of these.
template <typename T> class [[nodiscard]] Result {
public:
    Result(T value) : m_content(std::move(value)) {}
    Result(Error error) : m_content(std::move(error)) {}

    bool ok() const { return std::holds_alternative<T>(m_content); }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<T>(m_content); }
    const T& value() const& { return std::get<T>(m_content); }
    T&& value() && { return std::get<T>(std::move(m_content)); }
    const Error& error() const { return std::get<Error>(m_content); }

private:
    std::variant<T, Error> m_content;
};

} // namespace quorvane::swf
