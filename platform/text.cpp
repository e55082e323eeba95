// Texts: joining, comparing, number conversions. Texts are GBK byte strings; the
// number parser is our own so that both desktops read numbers the same way.
#include <cstdio>
#include <cstring>

#include "platform/desktop_services.h"

Text joinTexts(std::initializer_list<std::string_view> parts) {
    std::size_t total = 0;
    for (auto p : parts) total += p.size();
    Text out;
    out.reserve(total);
    for (auto p : parts) out.append(p);
    return out;
}

int compareTexts(const Text* a, const Text* b) {
    // Byte by byte as unsigned values up to the first difference or terminating NUL;
    // an absent text is the empty text.
    const char* pa = a ? a->c_str() : "";
    const char* pb = b ? b->c_str() : "";
    int r = std::strcmp(pa, pb);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

Text toText(int value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d", value);
    return buf;
}

namespace {
// Full-width forms that have a single-byte twin: GBK row 0xA3 mirrors printable ASCII
// (0xA3B0 is the full-width digit zero), and 0xA1A1 is the ideographic space. The yen
// sign at 0xA3A4 has no single-byte twin and stays as it is.
Text foldFullWidth(const Text& in) {
    Text out;
    out.reserve(in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        auto c = static_cast<unsigned char>(in[i]);
        if (c >= 0x81 && c <= 0xFE && i + 1 < in.size()) {
            auto t = static_cast<unsigned char>(in[i + 1]);
            if (c == 0xA3 && t >= 0xA1 && t <= 0xFE && t != 0xA4) {
                out.push_back(static_cast<char>(t - 0x80));
            } else if (c == 0xA1 && t == 0xA1) {
                out.push_back(' ');
            } else {
                out.push_back(static_cast<char>(c));
                out.push_back(static_cast<char>(t));
            }
            ++i;
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
}  // namespace

double toNumber(const Text& text) {
    // Leading white space, optional sign, the longest decimal number with fraction and
    // exponent; the rest is ignored and no number gives 0 (as atof reads it, without
    // the hexadecimal and infinity forms some C libraries add).
    const Text s = foldFullWidth(text);
    std::size_t i = 0, n = s.size();
    while (i < n && isBlank(s[i])) ++i;
    std::size_t start = i;
    if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < n && isDigit(s[i])) ++i, ++digits;
    if (i < n && s[i] == '.') {
        ++i;
        while (i < n && isDigit(s[i])) ++i, ++digits;
    }
    if (digits == 0) return 0.0;
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < n && (s[j] == '+' || s[j] == '-')) ++j;
        if (j < n && isDigit(s[j])) {
            while (j < n && isDigit(s[j])) ++j;
            i = j;
        }
    }
    std::string number(s, start, i - start);
    // "C" locale parsing of an already validated decimal literal.
    double value = 0.0;
    std::sscanf(number.c_str(), "%lf", &value);
    return value;
}

Text bytesToText(const Bytes& b) {
    auto zero = b.find('\0');
    return zero == Bytes::npos ? b : b.substr(0, zero);
}

int hourOf(const DateTime& t) { return t.hour; }
int minuteOf(const DateTime& t) { return t.minute; }
