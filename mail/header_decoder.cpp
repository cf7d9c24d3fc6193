#include "mail/header_decoder.h"

#include <sstream>

#include "mail/encoded_word.h"
#include "mail/jis_converter.h"

namespace mail {

namespace {

std::string convertJis(const std::string& text) {
    // Without an escape sequence the converter never leaves ASCII mode and copies every byte: skip the
    // stream set-up, which costs more than the conversion of a short header.
    if (text.find('\x1b') == std::string::npos) {
        return text;
    }
    std::istringstream in(text);
    std::ostringstream out;
    JisConverter(in, out).run();
    return out.str();
}

bool isBlankOrLineEnd(const std::string& text) {
    return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

bool sameCharset(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

// Each stretch of plain text, and each run of adjacent encoded words of one charset, is converted on its
// own with kanji mode starting off. So a word that leaves kanji mode on cannot garble the ASCII after it
// (the address after a name, say), while a run that a sender split in the middle of a JIS sequence over
// several words (their decoded bytes joined first) still comes out whole.
std::string decodeHeaderText(std::string text) {
    const std::size_t firstOpen = text.find("=?");
    if (firstOpen == std::string::npos) {
        return convertJis(text);
    }
    const std::size_t lastClose = text.rfind("?=");
    if (lastClose == std::string::npos || lastClose < firstOpen + 2) {
        return text;
    }

    std::string result;
    std::string run;         // decoded bytes of the current run of adjacent words
    std::string runCharset;  // their charset
    bool inRun = false;
    std::size_t pos = 0;
    while (auto word = findEncodedWord(text, pos)) {
        const std::string gap = text.substr(pos, word->begin - pos);
        const bool adjacent = inRun && isBlankOrLineEnd(gap);
        if (!adjacent || !sameCharset(runCharset, word->charset)) {
            result += convertJis(run);
            run.clear();
        }
        if (!adjacent) {
            result += convertJis(gap);
        }
        run += decodeEncodedWord(*word);
        runCharset = word->charset;
        inRun = true;
        pos = word->end;
    }
    result += convertJis(run);
    result += convertJis(text.substr(pos));
    return result;
}

}  // namespace mail
