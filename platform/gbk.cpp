// GBK to UTF-8 through the generated table, and percent-encoding of address parts.
#include "platform/gbk.h"

namespace gbk {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isLead(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
bool isTrail(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {  // the table holds only the basic multilingual plane
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::uint16_t decodePair(unsigned char lead, unsigned char trail) {
    if (!isLead(lead) || !isTrail(trail)) return 0;
    int column = trail < 0x7F ? trail - 0x40 : trail - 0x41;
    return kDoubleByte[(lead - 0x81) * kTrailCount + column];
}

std::string toUtf8(const std::string& gbkText) {
    std::string out;
    out.reserve(gbkText.size() * 3 / 2);
    for (std::size_t i = 0; i < gbkText.size(); ++i) {
        const auto b = static_cast<unsigned char>(gbkText[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
        } else if (b == 0x80) {
            appendUtf8(out, kSingleByte80 ? kSingleByte80 : kReplacement);
        } else if (isLead(b) && i + 1 < gbkText.size() &&
                   isTrail(static_cast<unsigned char>(gbkText[i + 1]))) {
            std::uint16_t c = decodePair(b, static_cast<unsigned char>(gbkText[i + 1]));
            appendUtf8(out, c ? c : kReplacement);
            ++i;
        } else {
            appendUtf8(out, kReplacement);
        }
    }
    return out;
}

std::string percentEncode(const std::string& bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        const bool unreserved = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
                                (b >= '0' && b <= '9') || b == '-' || b == '.' || b == '_' ||
                                b == '~';
        if (unreserved) {
            out += ch;
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 0x0F];
        }
    }
    return out;
}

}  // namespace gbk
