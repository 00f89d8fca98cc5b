#pragma once

// Inputs of known character for the decoder and archive tests.
#include <cstdint>
#include <string>

namespace ziptest {

// Words in a pseudo-random order: compresses like prose.
std::string ProseText(size_t size, uint32_t seed = 1);
// Bytes from a generator: DEFLATE cannot shrink them.
std::string NoiseBytes(size_t size, uint32_t seed = 1);

}  // namespace ziptest
