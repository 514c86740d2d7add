#include "crc16.h"

namespace zelmark {

void UpdateCrc(std::uint16_t& crc, std::uint8_t byte) {
    crc = static_cast<std::uint16_t>(crc ^ (byte << 8));
    for (int bit = 0; bit < 8; ++bit) {
        if (crc & 0x8000) {
            crc = static_cast<std::uint16_t>((crc << 1) ^ 0x1021);
        } else {
            crc = static_cast<std::uint16_t>(crc << 1);
        }
    }
}

std::uint16_t crc16Xmodem(const std::uint8_t* data, std::size_t size) {
    std::uint16_t crc = 0;
    for (std::size_t i = 0; i < size; ++i) {
        UpdateCrc(crc, data[i]);
    }
    return crc;
}

}  // namespace zelmark
