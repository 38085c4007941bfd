// Unpacks gzip data (RFC 1952 around RFC 1951's deflate), as the build packs Palix's card faces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace cardtest {

// The unpacked bytes; nullopt for data that is not one whole, intact gzip member without optional fields.
std::optional<std::vector<uint8_t>> Gunzip(const uint8_t* data, size_t size);

} // namespace cardtest
