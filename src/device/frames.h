#pragma once

#include <cstdint>

#include "firmwareimage.h"

// The bytes the program puts on the wire.
namespace zelmark {

// Fills tx[0..7] with a command frame.
void buildCommandFrame(std::uint8_t* tx, std::uint8_t code, std::uint16_t first,
                       std::uint16_t second);

// Fills tx[0..517] with code block k (1..91) of the image for the given flash address, CRC
// included; crc is left holding the frame's CRC.
void buildCodeBlock(std::uint8_t* tx, ImageBytes image, unsigned k, std::uint16_t flashAddress,
                    std::uint16_t& crc);

// Fills tx[0..517] with the vector block: the image's vector table for 0xFFE0, then zeros.
void buildVectorBlock(std::uint8_t* tx, ImageBytes image, std::uint16_t& crc);

}  // namespace zelmark
