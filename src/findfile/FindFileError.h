// The one exception the finder raises: a property set to a value it cannot search with.
// The message texts are the program's own, including their line break "\n\r".
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace zb::findfile {

class EFindFileError : public std::runtime_error {
public:
    explicit EFindFileError(const std::string& message) : std::runtime_error(message) {}

    static EFindFileError invalidFilename(std::string_view value) {
        return EFindFileError(std::string(value) + "\n\rInvalid filename specified");
    }
    static EFindFileError wildcardsInLocation(std::string_view value) {
        return EFindFileError(std::string(value) + "\n\rlocation cannot to be contained wildcards");
    }
};

}  // namespace zb::findfile
