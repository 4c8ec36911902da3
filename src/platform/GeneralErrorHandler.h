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
template <typename Handler> void runGuarded(Platform& platform, Handler&& handler) noexcept
{
    try {
        std::forward<Handler>(handler)();
    } catch (...) {
        reportUncaught(platform, std::current_exception());
    }
}

// A handler that takes none of a signal's arguments is called without them.
template <typename Handler, typename... Arguments>
void callWithWhatItTakes(const Handler& handler, Arguments&&... arguments)
{
    if constexpr (std::is_invocable_v<const Handler&, Arguments...>)
        handler(std::forward<Arguments>(arguments)...);
    else
        handler();
}

// Wraps a slot for connect(): the returned callable runs it guarded.
template <typename Handler> auto guarded(Platform& platform, Handler handler)
{
    return [&platform, handler = std::move(handler)](auto&&... arguments) {
        runGuarded(platform, [&] {
            callWithWhatItTakes(handler, std::forward<decltype(arguments)>(arguments)...);
        });
    };
}

} // namespace quorvane
