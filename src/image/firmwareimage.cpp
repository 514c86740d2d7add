#include "firmwareimage.h"

namespace zelmark {

ImageBytes embeddedImage() {
    return ImageBytes(FirmwareImage, FirmwareImageSize);
}

}  // namespace zelmark
