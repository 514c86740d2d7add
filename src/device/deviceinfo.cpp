#include "deviceinfo.h"

#include "imageheader.h"

namespace zelmark {

DeviceInfo parseInfoRecord(const std::uint8_t* record) {
    DeviceInfo info;
    info.model = static_cast<std::uint16_t>(record[0] * 256 + record[1]);
    info.serial = static_cast<std::uint16_t>(record[2] + record[3] * 256);
    info.currentVersion = static_cast<std::uint16_t>(record[7] + record[8] * 256);
    info.submodel = record[11];
    info.updaterVersion = record[12];
    return info;
}

Verdict judge(const DeviceInfo& info, ImageBytes image) {
    if (info.model != ModelCode(image)) {
        return Verdict::WrongModel;
    }
    if (MinUpdaterVersion(image) > info.updaterVersion) {
        return Verdict::WrongFirmware;
    }
    if (Submodel(image) != info.submodel) {
        return Verdict::WrongSubmodel;
    }
    return Verdict::Ready;
}

bool showsUpdaterVersion(std::uint8_t updaterVersion) {
    return updaterVersion >= 100 && updaterVersion <= 254;
}

}  // namespace zelmark
