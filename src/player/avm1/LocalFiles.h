#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace quorvane::player::avm1 {

// The file a movie names for loading, when it lies in the movie's own
// folder or below it: a relative path without "..", no address scheme.
// Nothing else is ever opened, and nothing is fetched from a network.
std::optional<std::filesystem::path> localFile(const std::filesystem::path& movieFolder,
                                               std::string_view url);

} // namespace quorvane::player::avm1
