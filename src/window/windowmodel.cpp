#include "windowmodel.h"

namespace zelmark {

WindowModel::WindowModel() {
    for (const ControlDesign& control : controlTable()) {
        ControlState& state = (*this)[control.id];
        state.caption = control.caption;
        state.enabled = control.enabled;
        state.visible = control.visible;
    }
}

}  // namespace zelmark
