#pragma once
// An image reference as written in markup: either a bare file name or resource id, or a
// list of key='value' pairs ("res='273' restype='png' source='0,0,10,10'").
#include <string>
#include <string_view>
#include "ui/pure/Geometry.h"

struct ImageDescription {
    std::wstring file;        // "file", or the whole text when it holds no pairs
    std::wstring resType;     // "restype"; empty means: look up by file name
    UIRect dest;              // "dest": inside the control; negative values count from the right/bottom
    bool hasDest = false;
    UIRect source;            // "source": inside the image; all zero means the whole image
    UIRect corner;            // "corner": borders kept unscaled when stretching
    UIColor mask = 0;         // "mask": colour made transparent (0: none)
    unsigned char fade = 255; // "fade"
    bool hole = false;        // "hole": corners drawn, centre left out
    bool xtiled = false;      // "xtiled"
    bool ytiled = false;      // "ytiled"
    // "res" sets `file` to the id text; a numeric `file` with a non-empty resType names a resource.

    friend bool operator==(const ImageDescription&, const ImageDescription&) = default;
};

// Parses a description. Never fails: a malformed pair ends the parsing and the pairs
// read before it stay in force. The numbers of "dest", "source" and "corner" are held to
// the geometry bounds (kUIMaxCoord).
ImageDescription ParseImageDescription(std::wstring_view text);

// The canonical text of a description, which parses back to an equal value (for
// drawing a modified description, e.g. the filled part of a progress bar).
std::wstring FormatImageDescription(const ImageDescription& description);
