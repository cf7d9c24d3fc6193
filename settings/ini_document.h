#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace settings {

// The text of an INI file as the Windows private-profile functions read it: a "[name]" line opens a section
// (text after its last ']' is ignored), every other non-blank line is an entry "key=value" or a bare key. Names
// are compared without blanks around them and without regard to ASCII case; of several sections or keys with
// the same name only the first counts. Each line keeps its own bytes and line end, so that setting one key leaves
// the rest of the file exactly as it was.
class IniDocument {
public:
    explicit IniDocument(const std::string& text);

    // The entry's value without blanks around it and without one pair of enclosing quotes ("..." or '...');
    // empty when the section or key is missing or the key has no '='.
    std::string value(const std::string& section, const std::string& key) const;

    // Rewrites the key's line as "key=value" in place; a missing key is added after the last entry of its
    // section, a missing section at the end of the text.
    void set(const std::string& section, const std::string& key, const std::string& value);

    // The section names in the order of the file, each once (the first spelling counts).
    std::vector<std::string> sectionNames() const;

    // Removes every section of that name with all its lines; false when there was none.
    bool removeSection(const std::string& section);

    std::string text() const;

private:
    struct Line {
        std::string content;  // without its line end
        std::string end;      // "\r\n", "\n", "\r", or empty on a last line that has none
    };

    std::size_t findSection(const std::string& name) const;  // index of its header, or npos
    std::size_t sectionEnd(std::size_t header) const;        // index of the next header, or the line count
    std::size_t findKey(std::size_t header, const std::string& name) const;  // index of its line, or npos
    void insertLine(std::size_t index, std::string content);

    std::string byteOrderMark_;  // a UTF-8 mark in front of the first line, kept but not parsed
    std::vector<Line> lines_;
    std::string newLineEnd_;  // for added lines: the file's first line end, CRLF in a file that has none
};

}  // namespace settings
