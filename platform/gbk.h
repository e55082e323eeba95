// GBK (code page 936) to UTF-8 and percent-encoding, platform-neutral: the table is
// generated once from iconv and committed, so both desktops convert the same way.
#pragma once

#include <cstdint>
#include <string>

namespace gbk {

inline constexpr int kLeadCount = 0xFE - 0x81 + 1;  // lead bytes 0x81..0xFE
inline constexpr int kTrailCount = 190;             // trail bytes 0x40..0x7E, 0x80..0xFE
extern const std::uint16_t kSingleByte80;           // code page 936 gives 0x80 a character
extern const std::uint16_t kDoubleByte[kLeadCount * kTrailCount];

// The character of a two-byte sequence, or 0 when it is none.
std::uint16_t decodePair(unsigned char lead, unsigned char trail);

// GBK bytes as UTF-8. A byte or pair that is no GBK character becomes U+FFFD; a lead
// byte followed by an impossible trail byte gives U+FFFD and the trail byte is read
// again on its own (so an ASCII byte after a stray lead byte survives).
std::string toUtf8(const std::string& gbkText);

// Every byte outside A-Z a-z 0-9 - . _ ~ written as %XX (upper-case hex).
std::string percentEncode(const std::string& bytes);

}  // namespace gbk
