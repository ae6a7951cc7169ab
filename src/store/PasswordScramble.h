// The reversible scrambling of the archive password kept in "project.ini": the bytes
// are XORed with a key made from the project's name, and the result is stored as
// "#"-text ("#97#98#99"), so that any byte value survives a text file.
#pragma once

#include <string>
#include <string_view>

namespace zb::store {

// One "#" plus the decimal value for each byte: "abc" -> "#97#98#99".
std::string BytesToHashText(std::string_view bytes);

// Each run of decimal digits becomes one byte (its value modulo 256); every other
// character ends a run and is dropped.
std::string HashTextToBytes(std::string_view text);

// XORs `text` with `key`, the key restarting with every chunk of its own length.
// Encoding returns "#"-text. Decoding first turns a text beginning with "#" into its
// bytes, so a hand-written plain value is unscrambled directly. Encoding always takes
// the text as it is, so a password that itself begins with "#" comes back unchanged.
std::string XorScramble(std::string_view text, std::string_view key, bool encode);

// The key of a project: its trimmed name followed by that name's length in characters.
std::string scrambleKey(std::string_view projectName);

// The stored form of a password of the named project, and back.
std::string scramblePassword(std::string_view password, std::string_view projectName);
std::string unscramblePassword(std::string_view stored, std::string_view projectName);

}  // namespace zb::store
