#pragma once

#include <QString>

// The manual shipped with the program: where it is installed beside the
// program's other documents, or in the build tree when the program runs from
// there. Empty when it is in neither place.
QString manualPath();
