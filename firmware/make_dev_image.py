#!/usr/bin/env python3
"""Writes the deterministic development image zelmark-dev.bin.

The header carries the values of the delivered firmware; the vector table
points every vector, the reset vector included, into the code area; the code
area is pseudo-random bytes from a fixed seed, with the erased (0xFF) and
zeroed regions where the delivered firmware has them. Running the script again
gives the same file byte for byte.
"""
import pathlib
import sys

IMAGE_SIZE = 46752
CODE_OFFSET = 160
FLASH_START = 0x4000


def header() -> bytes:
    h = bytearray(128)
    h[0:16] = bytes([0xAA] * 8 + [0x55] * 7 + [0xCC])
    h[16] = 0xB2                                   # target code
    h[17:25] = bytes([0xFE, 0x90, 0x60, 0xB6, 0, 0, 0, 0])
    h[25:27] = bytes([0x1A, 0x0C])                 # model code 3098
    h[27:33] = bytes([0x00, 0x40, 0x00, 0x00, 0xB0, 0x0B])
    h[33:35] = bytes([0x69, 0x00])                 # main version 1.05
    h[35] = 0x64                                   # minimum updater 1.00
    h[36] = 0x01                                   # submodel
    return bytes(h)


def vector_table() -> bytes:
    # Fifteen interrupt vectors at a common handler, the reset vector at 0x4000.
    words = [0x4010] * 15 + [FLASH_START]
    return b"".join(w.to_bytes(2, "little") for w in words)


def code_area() -> bytes:
    size = IMAGE_SIZE - CODE_OFFSET
    state = 0x2545F491
    code = bytearray(size)
    for i in range(size):
        # xorshift32: cheap, deterministic and the same on every Python
        state ^= (state << 13) & 0xFFFFFFFF
        state ^= state >> 17
        state ^= (state << 5) & 0xFFFFFFFF
        code[i] = state & 0xFF

    def fill(first: int, last: int, value: int) -> None:
        code[first - FLASH_START:last - FLASH_START + 1] = bytes([value]) * (last - first + 1)

    fill(0xD764, 0xDFFF, 0xFF)
    fill(0xE000, 0xEFFF, 0x00)
    fill(0xF000, 0xF5FF, 0xFF)
    return bytes(code)


def main() -> None:
    out = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).with_name("zelmark-dev.bin"))
    image = header() + vector_table() + code_area()
    assert len(image) == IMAGE_SIZE
    out.write_bytes(image)


if __name__ == "__main__":
    main()
