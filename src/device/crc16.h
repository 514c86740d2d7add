#pragma once

#include <cstddef>
#include <cstdint>

namespace zelmark {

// Feeds one byte into a CRC-16/XMODEM accumulator (polynomial 0x1021, initial value 0, no
// reflection, no final XOR).
void UpdateCrc(std::uint16_t& crc, std::uint8_t byte);

std::uint16_t crc16Xmodem(const std::uint8_t* data, std::size_t size);

}  // namespace zelmark
