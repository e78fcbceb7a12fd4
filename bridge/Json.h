#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Texts cross into the web view as JSON string literals. The literal is pure ASCII: every
// non-ASCII character is written as \uXXXX, and bytes that are not valid UTF-8 become U+FFFD.
std::string JsonQuote(std::string_view utf8);

// Decodes one JSON string literal (surrounding white space allowed) to UTF-8.
std::optional<std::string> JsonUnquote(std::string_view json);

// Decodes a JSON array whose elements are all strings.
std::optional<std::vector<std::string>> JsonStringArray(std::string_view json);
