// Window regions built from the one-pixel-high runs of a shape picture.
#pragma once

#include <windows.h>

#include <vector>

#include "platform/shape.h"

// The union of the runs as a new region owned by the caller (DeleteObject it, or hand
// it to SetWindowRgn). No runs give an empty region; nullptr only when GDI fails.
HRGN regionFromRuns(const std::vector<Run>& runs);
