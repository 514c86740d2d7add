#include "frames.h"

#include <cstring>

#include "crc16.h"
#include "imageheader.h"
#include "protocol.h"

namespace zelmark {

using namespace protocol;

void buildCommandFrame(std::uint8_t* tx, std::uint8_t code, std::uint16_t first,
                       std::uint16_t second) {
    tx[0] = CommandPreamble[0];
    tx[1] = CommandPreamble[1];
    tx[2] = code;
    tx[3] = static_cast<std::uint8_t>(255 - code);
    tx[4] = static_cast<std::uint8_t>(first >> 8);
    tx[5] = static_cast<std::uint8_t>(first & 0xFF);
    tx[6] = static_cast<std::uint8_t>(second >> 8);
    tx[7] = static_cast<std::uint8_t>(second & 0xFF);
}

namespace {

void writeHeaderAndCrc(std::uint8_t* tx, std::uint8_t kind, std::uint16_t flashAddress,
                       std::uint16_t& crc) {
    tx[0] = kind;
    tx[3] = BlockTag;
    tx[4] = static_cast<std::uint8_t>(flashAddress & 0xFF);
    tx[5] = static_cast<std::uint8_t>(flashAddress >> 8);
    // The CRC covers byte 0 and bytes 3..517; bytes 1 and 2 receive it.
    crc = 0;
    UpdateCrc(crc, tx[0]);
    for (std::size_t i = 3; i < BlockFrameSize; ++i) {
        UpdateCrc(crc, tx[i]);
    }
    tx[1] = static_cast<std::uint8_t>(crc & 0xFF);
    tx[2] = static_cast<std::uint8_t>(crc >> 8);
}

}  // namespace

void buildCodeBlock(std::uint8_t* tx, ImageBytes image, unsigned k, std::uint16_t flashAddress,
                    std::uint16_t& crc) {
    std::memcpy(tx + BlockHeaderSize, image.data() + codeBlockImageOffset(k), BlockSize);
    writeHeaderAndCrc(tx, CodeBlockKind, flashAddress, crc);
}

void buildVectorBlock(std::uint8_t* tx, ImageBytes image, std::uint16_t& crc) {
    std::memcpy(tx + BlockHeaderSize, image.data() + VectorTableOffset, VectorTableSize);
    std::memset(tx + BlockHeaderSize + VectorTableSize, 0, BlockSize - VectorTableSize);
    writeHeaderAndCrc(tx, VectorBlockKind, VectorFlashAddress, crc);
}

}  // namespace zelmark
