#include "swf/Decompress.h"

#include <algorithm>
#include <cstdlib>
#include <lzma.h>
#include <zlib.h>

namespace quorvane::swf {

namespace {

constexpr std::size_t kChunk = 64 * 1024;

// Room for the next chunk of output, never past the limit.
std::size_t growOutput(std::vector<std::uint8_t>& bytes, std::size_t limit)
{
    const std::size_t chunk = std::min(kChunk, limit - bytes.size());
    bytes.resize(bytes.size() + chunk);
    return chunk;
}

} // namespace

Decompressed inflateZlib(std::span<const std::uint8_t> input, std::size_t limit)
{
    Decompressed result;
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) {
        result.problem = "zlib could not start";
        return result;
    }
    // zlib counts its input in 32-bit units; movies are capped far below that.
    stream.next_in = const_cast<Bytef*>(input.data());
    stream.avail_in = static_cast<uInt>(std::min<std::size_t>(input.size(), 0xFFFFFFFFu));
    while (true) {
        if (result.bytes.size() >= limit) {
            result.problem = "decompressed movie larger than the limit";
            break;
        }
        const std::size_t before = result.bytes.size();
        const std::size_t chunk = growOutput(result.bytes, limit);
        stream.next_out = result.bytes.data() + before;
        stream.avail_out = static_cast<uInt>(chunk);
        const int status = inflate(&stream, Z_NO_FLUSH);
        result.bytes.resize(before + (chunk - stream.avail_out));
        if (status == Z_STREAM_END) {
            break;
        }
        if (status != Z_OK && status != Z_BUF_ERROR) {
            result.problem = std::string("zlib data damaged: ") + (stream.msg ? stream.msg : "");
            break;
        }
        if (stream.avail_in == 0 && result.bytes.size() == before) {
            result.problem = "zlib data cut short";
            break;
        }
    }
    inflateEnd(&stream);
    return result;
}

Decompressed decompressLzma(std::span<const std::uint8_t> properties,
                            std::span<const std::uint8_t> input, std::size_t limit)
{
    Decompressed result;
    lzma_filter filters[2] = {};
    filters[0].id = LZMA_FILTER_LZMA1;
    filters[1].id = LZMA_VLI_UNKNOWN;
    if (properties.size() != 5 || lzma_properties_decode(&filters[0], nullptr, properties.data(),
                                                         properties.size()) != LZMA_OK) {
        result.problem = "LZMA properties invalid";
        return result;
    }
    // The dictionary size comes from the file; a dictionary larger than the
    // whole output can never be used, so it must not size an allocation.
    auto* options = static_cast<lzma_options_lzma*>(filters[0].options);
    const std::size_t usefulDictionary = std::max<std::size_t>(limit, LZMA_DICT_SIZE_MIN);
    options->dict_size = static_cast<std::uint32_t>(std::min<std::size_t>(
        options->dict_size, std::min<std::size_t>(usefulDictionary, 1u << 30)));
    options->dict_size = std::max<std::uint32_t>(options->dict_size, LZMA_DICT_SIZE_MIN);

    lzma_stream stream = LZMA_STREAM_INIT;
    if (lzma_raw_decoder(&stream, filters) != LZMA_OK) {
        std::free(filters[0].options);
        result.problem = "LZMA decoder could not start";
        return result;
    }
    stream.next_in = input.data();
    stream.avail_in = input.size();
    while (result.bytes.size() < limit) {
        const std::size_t before = result.bytes.size();
        const std::size_t chunk = growOutput(result.bytes, limit);
        stream.next_out = result.bytes.data() + before;
        stream.avail_out = chunk;
        const lzma_ret status = lzma_code(&stream, LZMA_RUN);
        result.bytes.resize(before + (chunk - stream.avail_out));
        if (status == LZMA_STREAM_END) {
            break;
        }
        if (status != LZMA_OK) {
            result.problem = "LZMA data damaged";
            break;
        }
        if (stream.avail_in == 0 && result.bytes.size() == before) {
            break;
        }
    }
    lzma_end(&stream);
    std::free(filters[0].options);
    return result;
}

} // namespace quorvane::swf
