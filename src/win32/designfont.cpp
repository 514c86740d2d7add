#include "designfont.h"

#include <algorithm>
#include <string>
#include <vector>

#include "controls.h"
#include "widetext.h"

namespace zelmark::win32 {

namespace {

constexpr const wchar_t* ScalableFamily = L"Microsoft Sans Serif";

struct Drawings {
    bool scalable = false;
    std::vector<int> characterHeights;
};

int CALLBACK collect(const LOGFONTW*, const TEXTMETRICW* metric, DWORD fontType, LPARAM target) {
    auto* drawings = reinterpret_cast<Drawings*>(target);
    if (fontType & RASTER_FONTTYPE) {
        drawings->characterHeights.push_back(metric->tmHeight - metric->tmInternalLeading);
    } else {
        drawings->scalable = true;
    }
    return 1;
}

// The heights at which the design's face is drawn, asked once.
const Drawings& designDrawings() {
    static const Drawings drawings = [] {
        Drawings found;
        LOGFONTW wanted{};
        wanted.lfCharSet = DEFAULT_CHARSET;
        const std::wstring family = toWide(DesignFontFamily);
        family.copy(wanted.lfFaceName, LF_FACESIZE - 1);
        HDC screen = GetDC(nullptr);
        EnumFontFamiliesExW(screen, &wanted, collect, reinterpret_cast<LPARAM>(&found), 0);
        ReleaseDC(nullptr, screen);
        return found;
    }();
    return drawings;
}

bool drawnAt(int characterPixels) {
    const Drawings& drawings = designDrawings();
    return drawings.scalable ||
           std::find(drawings.characterHeights.begin(), drawings.characterHeights.end(),
                     characterPixels) != drawings.characterHeights.end();
}

}  // namespace

HFONT createDesignFont(int characterPixels, bool bold) {
    const std::wstring family =
        drawnAt(characterPixels) ? toWide(DesignFontFamily) : std::wstring(ScalableFamily);
    // A negative height asks for the character height.
    return CreateFontW(-characterPixels, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, family.c_str());
}

}  // namespace zelmark::win32
