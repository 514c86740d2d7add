#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "firmwareimage.h"
#include "imageheader.h"

// A modifiable copy of the embedded image, for tests that need other header values.
struct TestImage {
    std::array<std::uint8_t, zelmark::FirmwareImageSize> bytes;

    TestImage() { std::copy_n(zelmark::FirmwareImage, bytes.size(), bytes.begin()); }

    zelmark::ImageBytes view() const { return zelmark::ImageBytes(bytes.data(), bytes.size()); }

    TestImage& word(std::size_t offset, std::uint16_t value) {
        bytes[offset] = static_cast<std::uint8_t>(value & 0xFF);
        bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
        return *this;
    }
    TestImage& model(std::uint16_t v) { return word(zelmark::ModelCodeOffset, v); }
    TestImage& mainVersion(std::uint16_t v) { return word(zelmark::MainVersionOffset, v); }
    TestImage& target(std::uint8_t v) {
        bytes[zelmark::TargetCodeOffset] = v;
        return *this;
    }
    TestImage& mainFirmware(std::uint8_t v) {
        bytes[zelmark::MainFirmwareVersionOffset] = v;
        return *this;
    }
    TestImage& minUpdater(std::uint8_t v) {
        bytes[zelmark::MinUpdaterVersionOffset] = v;
        return *this;
    }
    TestImage& submodel(std::uint8_t v) {
        bytes[zelmark::SubmodelOffset] = v;
        return *this;
    }
};
