#pragma once

namespace zuva::acquisition {

// The two flags that reception, the control word and the run share.
struct RunFlags {
    // A recording run is active: received bytes are assembled as DataFrames.
    bool dataMode = false;
    // A PositionFrame has been asked for and has not been received yet.
    bool positionRequestPending = false;
};

}  // namespace zuva::acquisition
