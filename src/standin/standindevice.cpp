#include "standindevice.h"

#include <iterator>

#include "zelmarkpresets.h"

namespace zelmark {

namespace {

std::filesystem::path fromUtf8(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string readText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

StandInDevice::StandInDevice(std::string_view settings, std::filesystem::path settingsFile)
    : settingsFile_(std::move(settingsFile)) {
    applySettings(config_, settings);
    if (!settingsFile_.empty()) {
        StandInConfig fromFile = config_;
        fromFile.cableGiven = false;
        applySettings(fromFile, readText(settingsFile_));
        if (fromFile.cableGiven) {
            fileCable_ = fromFile.cableIn;
        }
        config_ = fromFile;
    }
    configure();
}

void StandInDevice::configure() {
    if (!config_.logPath.empty()) {
        log_.open(fromUtf8(config_.logPath), std::ios::binary | std::ios::trunc);
    }
    for (const std::string& problem : config_.problems) {
        log_ << "stand-in: setting ignored: " << problem << '\n';
    }
    log_ << "stand-in: " << config_.preset << ", cable " << (config_.cableIn ? "in" : "out")
         << '\n';

    ZelmarkEmulator& emulator = device_.device();
    emulator.identity = *presetIdentity(config_.preset);
    emulator.faults.nak.probability = config_.nakRate;
    emulator.faults.lostReply.probability = config_.lostRate;
    emulator.faults.seed = config_.seed;
    emulator.faults.unplugAtFrame = config_.unplugAt;
    if (config_.programmingUs) {
        emulator.timing.programmingUs = *config_.programmingUs;
    }
    if (config_.pieces > 1) {
        const std::size_t size = emulator.informationReply().size();
        const std::size_t piece = (size + config_.pieces - 1) / config_.pieces;
        emulator.infoReply.splitSizes.assign(config_.pieces, piece);
    }
    if (!config_.cableIn) {
        device_.unplug();
    }
}

void StandInDevice::followSettingsFile() {
    if (settingsFile_.empty()) {
        return;
    }
    StandInConfig now;
    applySettings(now, readText(settingsFile_));
    if (!now.cableGiven || fileCable_ == now.cableIn) {
        return;
    }
    fileCable_ = now.cableIn;
    log_ << "stand-in: cable " << (now.cableIn ? "plugged in" : "pulled") << '\n';
    if (now.cableIn) {
        device_.plug();
    } else {
        device_.unplug();
    }
}

void StandInDevice::save() {
    log_.flush();
    if (config_.flashPath.empty()) {
        return;
    }
    const auto& flash = device_.device().flash();
    std::ofstream out(fromUtf8(config_.flashPath), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(flash.data()),
              static_cast<std::streamsize>(flash.size()));
}

}  // namespace zelmark
