#include "player/avm1/LocalFiles.h"

#include <system_error>

namespace quorvane::player::avm1 {

std::optional<std::filesystem::path> localFile(const std::filesystem::path& movieFolder,
                                               std::string_view url)
{
    if (movieFolder.empty() || url.empty() || url.find(':') != std::string_view::npos ||
        url.find('\\') != std::string_view::npos) {
        return std::nullopt;
    }
    const std::filesystem::path relative{std::string(url)};
    if (relative.is_absolute() || relative.has_root_name() || relative.has_root_directory()) {
        return std::nullopt;
    }
    for (const auto& part : relative) {
        if (part == "..") {
            return std::nullopt;
        }
    }
    std::filesystem::path file = movieFolder / relative;
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        return std::nullopt;
    }
    return file;
}

} // namespace quorvane::player::avm1
