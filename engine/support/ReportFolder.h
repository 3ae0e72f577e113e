#pragma once

#include <QString>

// The program's own folder under the user's state folder: $XDG_STATE_HOME/quorvel,
// by default ~/.local/state/quorvel. Reports and the markers of appends under
// way are kept there.
QString reportFolder();
