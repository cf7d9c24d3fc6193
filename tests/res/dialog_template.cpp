#include "tests/res/dialog_template.h"

namespace restest {

namespace {

// Walks the template's 16-bit words; every read is checked against the resource's size.
class WordReader {
public:
    WordReader(const BYTE* data, size_t size) : data_(data), size_(size) {
    }

    bool word(uint16_t* value) {
        if (pos_ + 2 > size_) {
            return false;
        }
        *value = static_cast<uint16_t>(data_[pos_] | data_[pos_ + 1] << 8);
        pos_ += 2;
        return true;
    }

    bool dword(DWORD* value) {
        uint16_t low = 0, high = 0;
        if (!word(&low) || !word(&high)) {
            return false;
        }
        *value = static_cast<DWORD>(low) | static_cast<DWORD>(high) << 16;
        return true;
    }

    bool coordinate(int* value) {
        uint16_t raw = 0;
        if (!word(&raw)) {
            return false;
        }
        *value = static_cast<int16_t>(raw);
        return true;
    }

    bool string(std::wstring* text) {
        text->clear();
        for (uint16_t ch = 0;;) {
            if (!word(&ch)) {
                return false;
            }
            if (ch == 0) {
                return true;
            }
            text->push_back(static_cast<wchar_t>(ch));
        }
    }

    // A field that is empty (0), an ordinal (0xFFFF and the number) or a zero-ended string.
    bool nameOrOrdinal(NameOrOrdinal* field) {
        uint16_t first = 0;
        if (!word(&first)) {
            return false;
        }
        if (first == 0xFFFF) {
            field->isOrdinal = true;
            return word(&field->ordinal);
        }
        std::wstring text;
        if (first != 0) {
            text.push_back(static_cast<wchar_t>(first));
            std::wstring rest;
            if (!string(&rest)) {
                return false;
            }
            text += rest;
        }
        field->name = toShiftJis(text);
        return true;
    }

    bool skip(size_t bytes) {
        if (pos_ + bytes > size_) {
            return false;
        }
        pos_ += bytes;
        return true;
    }

    // Each item starts on a 32-bit boundary.
    void alignToDword() {
        pos_ = (pos_ + 3) & ~static_cast<size_t>(3);
    }

private:
    const BYTE* data_;
    size_t size_;
    size_t pos_ = 0;
};

bool readRect(WordReader& in, int* x, int* y, int* width, int* height) {
    return in.coordinate(x) && in.coordinate(y) && in.coordinate(width) && in.coordinate(height);
}

bool readItem(WordReader& in, DialogItem* item) {
    in.alignToDword();
    uint16_t extraBytes = 0;
    return in.dword(&item->style) && in.dword(&item->exStyle) &&
           readRect(in, &item->x, &item->y, &item->width, &item->height) && in.word(&item->id) &&
           in.nameOrOrdinal(&item->windowClass) && in.nameOrOrdinal(&item->text) && in.word(&extraBytes) &&
           in.skip(extraBytes);
}

}  // namespace

std::string toShiftJis(const std::wstring& text) {
    if (text.empty()) {
        return std::string();
    }
    const int length = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(932, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(932, 0, text.data(), length, &out[0], bytes, nullptr, nullptr);
    return out;
}

bool loadDialogTemplate(HMODULE module, int id, WORD language, DialogTemplate* out) {
    HRSRC found = FindResourceExA(module, RT_DIALOG, MAKEINTRESOURCEA(id), language);
    if (!found) {
        return false;
    }
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    if (!data) {
        return false;
    }
    WordReader in(data, SizeofResource(module, found));
    uint16_t count = 0;
    if (!in.dword(&out->style) || !in.dword(&out->exStyle) || !in.word(&count) ||
        !readRect(in, &out->x, &out->y, &out->width, &out->height)) {
        return false;
    }
    // The extended form starts with the version 1 and the signature 0xFFFF where the style would be.
    if (out->style == 0xFFFF0001u) {
        return false;
    }
    std::wstring caption;
    if (!in.nameOrOrdinal(&out->menu) || !in.nameOrOrdinal(&out->windowClass) || !in.string(&caption)) {
        return false;
    }
    out->caption = toShiftJis(caption);
    if (out->style & DS_SETFONT) {
        uint16_t points = 0;
        std::wstring face;
        if (!in.word(&points) || !in.string(&face)) {
            return false;
        }
        out->pointSize = points;
        out->typeface = toShiftJis(face);
    }
    out->items.resize(count);
    for (DialogItem& item : out->items) {
        if (!readItem(in, &item)) {
            return false;
        }
    }
    return true;
}

}  // namespace restest
