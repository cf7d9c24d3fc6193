#include "app/notice_texts.h"

#include "base/ascii.h"
#include "base/shift_jis.h"

namespace app {

namespace {

constexpr std::size_t kShownMails = 3;
constexpr std::size_t kSenderBytes = 24;
constexpr std::size_t kSubjectBytes = 48;
constexpr char kEllipsis[] = "…";

bool isControl(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F;
}

// Single bytes code page 932 gives no character.
bool isUnassigned(unsigned char byte) {
    return byte == 0x80 || byte == 0xA0 || byte >= 0xFD;
}

// Whole characters only, controls as single blanks, no blank at either end.
std::string cleaned(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    bool blank = true;  // no blank at the start
    for (std::size_t at = 0; at < text.size(); ++at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (base::isShiftJisLeadByte(text[at])) {
            if (at + 1 < text.size() && base::isShiftJisTrailByte(text[at + 1])) {
                out.append(text.substr(at, 2));
                ++at;
                blank = false;
            }
            continue;
        }
        if (isControl(byte) || byte == ' ') {
            if (!blank) {
                out += ' ';
                blank = true;
            }
            continue;
        }
        if (!isUnassigned(byte)) {
            out += static_cast<char>(byte);
            blank = false;
        }
    }
    if (!out.empty() && out.back() == ' ') {
        out.pop_back();
    }
    return out;
}

}  // namespace

std::string_view senderName(std::string_view from) {
    const std::size_t open = from.find('<');
    if (open == std::string_view::npos) {
        return from;
    }
    std::string_view name = base::trim(from.substr(0, open));
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') {
        name = name.substr(1, name.size() - 2);
    }
    if (!base::trim(name).empty()) {
        return name;
    }
    const std::size_t close = from.find('>', open);
    return from.substr(open + 1, close == std::string_view::npos ? std::string_view::npos : close - open - 1);
}

std::string noticeField(std::string_view text, std::size_t limit) {
    std::string clean = cleaned(text);
    constexpr std::size_t kEllipsisBytes = sizeof kEllipsis - 1;
    if (clean.size() <= limit) {
        return clean;
    }
    if (limit < kEllipsisBytes) {
        return std::string(base::cutAtCharacter(clean, limit));
    }
    std::string cut(base::cutAtCharacter(clean, limit - kEllipsisBytes));
    if (!cut.empty() && cut.back() == ' ') {
        cut.pop_back();
    }
    return cut + kEllipsis;
}

NewMailNotice newMailNotice(const mail::MailEntryList& list) {
    NewMailNotice notice;
    std::size_t newCount = 0;
    for (auto entry = list.rbegin(); entry != list.rend(); ++entry) {
        if (!entry->isNew) {
            continue;
        }
        if (++newCount > kShownMails) {
            continue;
        }
        const std::string sender = noticeField(senderName(entry->from), kSenderBytes);
        const std::string subject = noticeField(entry->subject, kSubjectBytes);
        if (!notice.text.empty()) {
            notice.text += "\n";
        }
        notice.text += (sender.empty() ? std::string("(差出人なし)") : sender) + "「" +
                       (subject.empty() ? std::string("(件名なし)") : subject) + "」";
    }
    if (newCount == 0) {
        return notice;
    }
    if (newCount > kShownMails) {
        notice.text += "\nほか " + std::to_string(newCount - kShownMails) + " 通";
    }
    notice.title = "新しいメールが " + std::to_string(newCount) + " 通きたにゃ";
    return notice;
}

}  // namespace app
