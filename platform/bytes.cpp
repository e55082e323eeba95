// Byte strings: blank, left part, split at a separator.
#include <algorithm>

#include "platform/desktop_services.h"

Bytes blankBytes(int count) { return count <= 0 ? Bytes() : Bytes(static_cast<std::size_t>(count), '\0'); }

Bytes leftBytes(const Bytes& b, int count) {
    if (count <= 0) return {};
    return b.substr(0, std::min<std::size_t>(static_cast<std::size_t>(count), b.size()));
}

ByteList splitBytes(const Bytes& b, const Bytes& separator, int maximum) {
    ByteList pieces;
    if (b.empty() || maximum == 0) return pieces;
    if (separator.empty()) {
        pieces.push_back(b);
        return pieces;
    }
    std::size_t from = 0;
    while (from < b.size()) {
        if (maximum > 0 && static_cast<int>(pieces.size()) >= maximum) break;
        std::size_t at = b.find(separator, from);
        if (at == Bytes::npos) {
            pieces.push_back(b.substr(from));
            break;
        }
        pieces.push_back(b.substr(from, at - from));
        from = at + separator.size();
        // A separator at the very end gives no empty last piece.
    }
    return pieces;
}
