#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the stand-in USB library emulates, written as "key=value" settings separated by ';' or
// line breaks, for example "preset=fit;unplugAt=40;pieces=3;cable=in;flash=C:\out\flash.bin".
//
//   preset=NAME        the device: fit, other-model, other-submodel, old-updater, corrupt
//   cable=in|out       whether the cable is plugged in
//   nakRate=P          probability that the device refuses a block (NAK), from seed
//   lostRate=P         probability that a block's answer never arrives, from seed
//   seed=N             seed of those draws
//   unplugAt=N         the cable is pulled when block frame N arrives (resends counted)
//   pieces=N           the information reply arrives in N pieces
//   programmingUs=N    how long the device takes to program one block
//   flash=PATH         where the emulated flash (64 KiB) is written at SI_Close and at unload
//   log=PATH           where every byte on the wire is logged
namespace zelmark {

struct StandInConfig {
    std::string preset = "fit";
    bool cableIn = true;
    double nakRate = 0.0;
    double lostRate = 0.0;
    std::uint32_t seed = 1;
    unsigned unplugAt = 0;
    unsigned pieces = 1;
    std::optional<std::uint32_t> programmingUs;
    std::string flashPath;
    std::string logPath;
    // Settings that could not be read, each as "key=value: why".
    std::vector<std::string> problems;
    // Whether the text set the cable at all (a file re-read for the cable only acts on it then).
    bool cableGiven = false;
};

// Applies the settings in text on top of config.
void applySettings(StandInConfig& config, std::string_view text);

}  // namespace zelmark
