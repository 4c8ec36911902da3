#pragma once

#include "Platform.h"

#include <exception>
#include <type_traits>
#include <utility>

namespace quorvane {

// Shows the message of an error that escaped a handler in the general error
// box. The program then goes on with its next event.
void reportUncaught(Platform& platform, std::exception_ptr error);

// Runs a handler so that nothing it throws leaves it: Qt is not
// exception-safe, and an exception escaping a slot is undefined behaviour.
template <typename Handler>
void runGuarded(Platform& platform, Handler&& handler) noexcept
{
    try {
        std::forward<Handler>(handler)();
    } catch (...) {
        reportUncaught(platform, std::current_exception());
    }
}

// Wraps a slot for connect(): the returned callable runs it guarded. A
// handler that takes none of the signal's arguments is called without them.
template <typename Handler>
auto guarded(Platform& platform, Handler handler)
{
    return [&platform, handler = std::move(handler)](auto&&... arguments) {
        runGuarded(platform, [&] {
            if constexpr (std::is_invocable_v<const Handler&, decltype(arguments)...>)
                handler(std::forward<decltype(arguments)>(arguments)...);
            else
                handler();
        });
    };
}

} // namespace quorvane
