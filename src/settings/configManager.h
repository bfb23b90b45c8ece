// The settings holder: the thumbnail size that generation uses and whether the size
// dialog starts with its proportion lock ticked. The main window controller owns the one
// instance, overwrites it from each newly opened video, hands it to the size dialog and
// copies width and height into each generation job. Nothing is loaded or stored: every
// start begins from 400 x 225, locked. Its users read and write the fields directly.
#pragma once

#include <cstdint>

class TConfigManager {
public:
    TConfigManager() = default;

    int32_t Width = 400;
    int32_t Height = 225;
    bool Constrain = true;
};
