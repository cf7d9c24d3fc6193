#include "mime/header_decoder.h"

#include <cstring>
#include <string_view>

#include "base/ascii.h"
#include "mime/encoded_word.h"
#include "text/to_shift_jis.h"

namespace mime {

namespace {

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

// Words join when they name one charset; unknown names join only when spelled alike.
bool sameCharset(text::Charset a, std::string_view nameA, text::Charset b, std::string_view nameB) {
    return a == b && (a != text::Charset::Unknown || base::equalsNoCase(nameA, nameB));
}

}  // namespace

std::size_t keptLengthOfCutValue(std::string_view start) {
    const std::string_view text = start.substr(0, startOfCutWord(start));
    // Of the cuts of at most three bytes more, the longest that ends on a character in the charset guessed for
    // what it keeps, trying the guesses in this order: a UTF-8 or EUC-JP text cut inside a character may pass
    // for Shift_JIS, which therefore comes last.
    const auto rank = [](text::Charset charset) {
        return charset == text::Charset::Utf8                                           ? 0
               : charset == text::Charset::EucJp || charset == text::Charset::Iso2022Jp ? 1
                                                                                        : 2;
    };
    for (int wanted = 0; wanted <= 2; ++wanted) {
        for (std::size_t cut = 0; cut <= 3 && cut <= text.size(); ++cut) {
            const std::string_view kept = text.substr(0, text.size() - cut);
            const text::Charset charset = text::guessCharset(kept);
            if (rank(charset) == wanted && text::endsOnCharacter(charset, kept)) {
                return kept.size();
            }
        }
    }
    return text.size();
}

// Each stretch of plain text, and each run of adjacent encoded words of one charset, is converted on its
// own, stateful charsets starting afresh. So a word that leaves ISO-2022-JP in kanji mode cannot garble the
// ASCII after it (the address after a name, say), while a run that a sender split in the middle of a
// character over several words (their decoded bytes joined first) still comes out whole.
void decodeHeaderText(std::string_view text, std::string& out, text::Charset declared) {
    // Every byte read yields at most two bytes of the result; a run of decoded words is never longer than the
    // words themselves, and a word being decoded may use room as long as the rest of the text and 16 bytes more.
    // The run goes after the result's room. All of it is `out`'s own room, kept by a caller that reuses `out`.
    const std::size_t resultRoom = 2 * text.size() + 8;
    out.resize(resultRoom + text.size() + 16);
    char* const result = &out[0];
    char* const run = result + resultRoom;
    char* end = result;
    char* runEnd = run;
    std::string_view runName;
    text::Charset runCharset = text::Charset::Unknown;
    bool inRun = false;
    std::size_t pos = 0;
    EncodedWord word;
    char* wordEnd = runEnd;  // each word is decoded after the run, and so joins it if it may
    bool found = decodeNextEncodedWord(text, pos, word, wordEnd);
    if (!found) {
        // "=?" without a "?=" after it: no word to decode, and the text is left as it is.
        const std::size_t firstOpen = text.find("=?");
        if (firstOpen != std::string_view::npos) {
            const std::size_t lastClose = findLastCloseMark(text);
            if (lastClose == std::string_view::npos || lastClose < firstOpen + 2) {
                out.assign(text.data(), text.size());
                return;
            }
        }
    }
    for (; found; found = decodeNextEncodedWord(text, pos, word, wordEnd)) {
        const std::string_view gap = text.substr(pos, word.begin - pos);
        const bool adjacent = inRun && isBlankOrLineEnd(gap);
        const text::Charset charset = word.charsetKind;
        if ((!adjacent || !sameCharset(runCharset, runName, charset, word.charset)) && runEnd != run) {
            end = text::writeShiftJis(runCharset, std::string_view(run, static_cast<std::size_t>(runEnd - run)), end);
            // The word's bytes begin the next run.
            const auto length = static_cast<std::size_t>(wordEnd - runEnd);
            std::memmove(run, runEnd, length);
            wordEnd = run + length;
        }
        if (!adjacent && !gap.empty()) {
            end = text::writeUndeclaredShiftJis(gap, declared, end);
        }
        runEnd = wordEnd;
        runCharset = charset;
        runName = word.charset;
        inRun = true;
        pos = word.end;
    }
    if (runEnd != run) {
        end = text::writeShiftJis(runCharset, std::string_view(run, static_cast<std::size_t>(runEnd - run)), end);
    }
    if (pos < text.size()) {
        end = text::writeUndeclaredShiftJis(text.substr(pos), declared, end);
    }
    out.resize(static_cast<std::size_t>(end - result));
}

}  // namespace mime
