// Mock windows assembled from the generated images the way the frame and the pages place
// them, and a contact sheet of every image: a way to judge the artwork in context.
#pragma once

#include "art.h"

#include <utility>

namespace artgen {

std::vector<std::pair<QString, QImage>> previews(const std::vector<Artwork>& all);

} // namespace artgen
