#include "FileName.h"

namespace {

// Length of the valid UTF-8 sequence at text[i] (shortest form, a scalar value), or 0.
size_t Utf8SequenceLength(const std::string& text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3, low = lead == 0xE0 ? 0xA0 : 0x80, high = lead == 0xED ? 0x9F : 0xBF;
    else if (lead >= 0xF0 && lead <= 0xF4) length = 4, low = lead == 0xF0 ? 0x90 : 0x80, high = lead == 0xF4 ? 0x8F : 0xBF;
    if (length == 0 || i + length > text.size() || byte(i + 1) < low || byte(i + 1) > high) return 0;
    for (size_t k = 2; k < length; ++k)
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
    return length;
}

}  // namespace

std::string NameFromTitle(const std::string& title, size_t maxBytes) {
    std::string name;
    for (size_t i = 0; i < title.size();) {
        const size_t length = Utf8SequenceLength(title, i);
        const unsigned char c = static_cast<unsigned char>(title[i]);
        const bool control = length == 1 && (c < 0x20 || c == 0x7F);
        const bool c1 = length == 2 && c == 0xC2 && static_cast<unsigned char>(title[i + 1]) < 0xA0;
        const std::string piece = (length == 0 || control || c1 || title[i] == '/') ? "_" : title.substr(i, length);
        if (name.size() + piece.size() > maxBytes) break;
        name += piece;
        i += length ? length : 1;
    }
    const size_t start = name.find_first_not_of(' ');
    name = start == std::string::npos ? "" : name.substr(start, name.find_last_not_of(' ') - start + 1);
    if (!name.empty() && name[0] == '.') name[0] = '_';
    return name;
}
