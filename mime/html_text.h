#pragma once

#include <string>
#include <string_view>

namespace mime {

// The readable text of an HTML document already in Shift_JIS: tags and comments dropped, the content of
// <style>, <script> and <title> dropped, the common named entities and numeric references decoded (to
// Shift_JIS, "〓" for what it lacks), runs of white space collapsed to one blank. Block elements (<br>, <p>,
// <div>, table rows, list items, headings) end a line; lines are trimmed and empty ones left out, each
// line followed by "\n".
std::string htmlToText(std::string_view html);

}  // namespace mime
