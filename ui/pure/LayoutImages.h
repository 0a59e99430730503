#pragma once
// The images a layout shows when its window opens, so that they can be decoded ahead of
// the window's first paint (ui/win/ImagePrefetch.h).
#include <string>
#include <vector>
#include "ui/pure/XmlParser.h"

// The image descriptions (values of the attributes named "...image") of the elements of
// `root` that are shown: an element with visible="false" hides itself and everything
// inside it. Each text once, in document order, except that the images of the states a
// pointer or the keyboard brings ("hot...", "pushed...", "focused...", "disabled...")
// come after all others: the list is what the window draws first, then what it may
// draw soon.
[[nodiscard]] std::vector<std::wstring> ImagesShownAtOpen(const XmlElement& root);
