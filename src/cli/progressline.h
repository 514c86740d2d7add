#pragma once

#include <QString>
#include <cstdint>

#include "devicelink.h"

// How the tool names the blocks of a transfer and draws its progress line. The 91 code blocks are
// counted apart from the vector block, as the byte count is: the vector block adds no bytes.
namespace zelmark {

// "block 30 of 91", or "the vector block" for the last frame.
QString blockName(unsigned frame, std::uint8_t language);

// A number with one or more decimals, with the language's decimal mark.
QString decimal(double value, int decimals, std::uint8_t language);

// One progress line: the block, bytes, speed, time and resends. With a width (a terminal's
// columns) the line stays shorter than it, so that redrawing it in place never wraps; the figures
// that matter least are left out first, the block last.
QString progressLine(const TransferProgress& progress, double seconds, std::uint8_t language,
                     unsigned width = 0);

}  // namespace zelmark
