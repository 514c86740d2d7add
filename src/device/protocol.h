#pragma once

#include <cstddef>
#include <cstdint>

// Every constant of the link to the device: indices, speeds, frame layouts, time-outs, pauses and
// attempt bounds live here and nowhere else.
namespace zelmark::protocol {

inline constexpr std::uint32_t DeviceIndex = 0;
inline constexpr std::uint32_t BaudRate = 921600;

// Read and write time-outs, in milliseconds.
inline constexpr std::uint32_t QueryTimeoutMs = 1500;    // information query
inline constexpr std::uint32_t TransferTimeoutMs = 500;  // transfer, and before the product string

// Pauses, in milliseconds. They block: no messages are processed during them.
inline constexpr std::uint32_t SettlePauseMs = 250;  // around commands and before closing
inline constexpr std::uint32_t NakPauseMs = 500;     // after the device refused a frame

// Bounds of the transfer. The device needs tens of milliseconds to program a block, so a reply
// that has not come within ReplyTimeoutMs is taken as lost.
inline constexpr std::uint32_t ReplyTimeoutMs = 1000;
inline constexpr unsigned MaxFrameAttempts = 10;

// Waits block in slices no longer than this and let the window process messages between them.
inline constexpr std::uint32_t WaitSliceMs = 10;
// The capture stops waiting for a reply that has not begun after this long.
inline constexpr std::uint32_t CaptureSilenceLimitMs = 5000;
// A reply is a few dozen bytes; a device that keeps sending is cut off after this long or this
// much, as if it had fallen silent.
inline constexpr std::uint32_t CaptureTimeLimitMs = 30000;
inline constexpr std::uint64_t CaptureByteLimit = 65536;
// Before a frame is written, what is queued is read and dropped in at most this many reads.
inline constexpr int MaxDiscardReads = 16;

// Buffers, and the largest single read.
inline constexpr std::size_t BufferSize = 4096;

// Command frame: 78 87, code, complement of the code, two parameters high byte first.
inline constexpr std::size_t CommandFrameSize = 8;
inline constexpr std::uint8_t CommandPreamble[2] = {0x78, 0x87};
inline constexpr std::uint8_t CommandInformation = 9;
inline constexpr std::uint8_t CommandUpdate = 23;

// Information reply: a marker, then a 16-byte record. The USB bridge hands the reply over in as
// many reads as it likes, so the capture keeps every byte it reads.
inline constexpr std::uint8_t InfoMarkerByte = 0xCC;
inline constexpr std::size_t InfoRecordSize = 16;
// Once the marker and the whole record are in, the device has said what it has to say: the
// capture ends after this much silence instead of a whole read time-out. The device sends its
// reply back to back, so trailing bytes come well within it.
inline constexpr std::uint32_t RecordQuietGapMs = 50;

// Block frame: kind, CRC low, CRC high, 0x40, flash address low, high, 512 data bytes.
inline constexpr std::size_t BlockFrameSize = 518;
inline constexpr std::size_t BlockHeaderSize = 6;
inline constexpr std::uint8_t CodeBlockKind = 0xA1;
inline constexpr std::uint8_t VectorBlockKind = 0xA2;
inline constexpr std::uint8_t BlockTag = 0x40;

// Replies to a block frame.
inline constexpr std::uint8_t Ack = 0x06;
inline constexpr std::uint8_t Nak = 0x15;

}  // namespace zelmark::protocol
