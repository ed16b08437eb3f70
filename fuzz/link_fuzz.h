// The protocol engine's fuzz body, shared by the fuzzer and the replay
// test of recorded inputs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace omb::fuzz {

// Runs one input through the engine and both processors; empty when every
// invariant held, otherwise what broke.
std::string runLinkInput(const std::uint8_t* data, std::size_t size);

}  // namespace omb::fuzz
