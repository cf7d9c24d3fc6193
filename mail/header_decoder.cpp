#include "mail/header_decoder.h"

#include <string_view>

#include "mail/encoded_word.h"
#include "text/to_shift_jis.h"

namespace mail {

namespace {

void appendUndeclared(std::string_view raw, std::string& out) {
    if (!raw.empty()) {
        text::appendShiftJis(text::guessCharset(raw), raw, out);
    }
}

bool isBlankOrLineEnd(std::string_view gap) {
    for (const char c : gap) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
            return false;
        }
    }
    return true;
}

// The position of the last "?=", or npos. Header values are short: a plain loop from the end.
std::size_t findLastCloseMark(std::string_view text) {
    for (std::size_t i = text.size(); i >= 2; --i) {
        if (text[i - 2] == '?' && text[i - 1] == '=') {
            return i - 2;
        }
    }
    return std::string_view::npos;
}

bool sameCharsetName(std::string_view a, std::string_view b) {
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

// Words join when they name one charset; unknown names join only when spelled alike.
bool sameCharset(text::Charset a, std::string_view nameA, text::Charset b, std::string_view nameB) {
    return a == b && (a != text::Charset::Unknown || sameCharsetName(nameA, nameB));
}

}  // namespace

// Each stretch of plain text, and each run of adjacent encoded words of one charset, is converted on its
// own, stateful charsets starting afresh. So a word that leaves ISO-2022-JP in kanji mode cannot garble the
// ASCII after it (the address after a name, say), while a run that a sender split in the middle of a
// character over several words (their decoded bytes joined first) still comes out whole.
std::string decodeHeaderText(std::string input) {
    const std::string_view text = input;
    const std::size_t firstOpen = text.find("=?");
    if (firstOpen == std::string_view::npos) {
        const text::Charset charset = text::guessCharset(text);
        if (charset == text::Charset::ShiftJis) {
            return input;
        }
        thread_local std::string converted;
        converted.clear();
        text::appendShiftJis(charset, text, converted);
        input.assign(converted);
        return input;
    }
    const std::size_t lastClose = findLastCloseMark(text);
    if (lastClose == std::string_view::npos || lastClose < firstOpen + 2) {
        return input;
    }

    // The result and the decoded bytes of the current run of adjacent words, in buffers whose room is kept from
    // call to call; the result goes back into the input's own buffer at the end.
    thread_local std::string result;
    thread_local std::string run;
    result.clear();
    run.clear();
    std::string_view runName;
    text::Charset runCharset = text::Charset::Unknown;
    bool inRun = false;
    std::size_t pos = 0;
    while (auto word = findEncodedWord(text, pos)) {
        const std::string_view gap = text.substr(pos, word->begin - pos);
        const bool adjacent = inRun && isBlankOrLineEnd(gap);
        const text::Charset charset = text::charsetByName(word->charset);
        if ((!adjacent || !sameCharset(runCharset, runName, charset, word->charset)) && !run.empty()) {
            text::appendShiftJis(runCharset, run, result);
            run.clear();
        }
        if (!adjacent) {
            appendUndeclared(gap, result);
        }
        appendEncodedWord(*word, run);
        runCharset = charset;
        runName = word->charset;
        inRun = true;
        pos = word->end;
    }
    text::appendShiftJis(runCharset, run, result);
    appendUndeclared(text.substr(pos), result);
    input.assign(result);
    return input;
}

}  // namespace mail
