// Text prepared for comparison without regard to case: UTF-8 decoded into code points,
// each folded the way the program folds names, so that a wildcard "?" stands for one
// character (not one byte) and "Ä" equals "ä". A byte that is not valid UTF-8 becomes
// a code point of its own that no letter or wildcard equals.
#pragma once

#include <string>
#include <string_view>

namespace zb::findfile {

std::u32string foldedCodePoints(std::string_view text);

}  // namespace zb::findfile
