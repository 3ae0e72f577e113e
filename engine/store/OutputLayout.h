#pragma once

// How a run lays out what it writes below its destination.
enum class OutputLayout {
    Mbox,         // an mbox file per folder (MboxNaming says which)
    Thunderbird,  // Thunderbird's folder tree: mbox files without extension, subfolders in Name.sbd/
    Maildir,      // Maildir++: one file per message, subfolders as .A.B/
};
