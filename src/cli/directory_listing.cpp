#include "cli/directory_listing.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <unistd.h>

namespace quorv::cli {

bool DirectoryListing::add(std::string_view name, unsigned char type) {
    if (names_.size() + name.size() + 1 > std::numeric_limits<std::uint32_t>::max()) return false;
    entries_.push_back({static_cast<std::uint32_t>(names_.size()), static_cast<std::uint32_t>(name.size()), type});
    names_ += name;
    names_ += '\0';
    return true;
}

namespace {

// Room after the last name for reading it eight bytes at a time.
constexpr std::size_t kWordPadding = sizeof(std::uint64_t) - 1;
constexpr std::uint64_t kLowSevenBits = 0x7F7F7F7F7F7F7F7Full;

// Eight bytes, the first in the highest place: words compare as the bytes do.
std::uint64_t word_at(const char* bytes) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes, sizeof word);
    return std::endian::native == std::endian::little ? __builtin_bswap64(word) : word;
}

// The top bit of each zero byte of the word, and no other bit.
std::uint64_t zero_bytes(std::uint64_t word) {
    return ~(((word & kLowSevenBits) + kLowSevenBits) | word | kLowSevenBits);
}

// Byte order of two NUL-terminated names, eight bytes at a time: most names
// of a folder share a long start ("cluster1..."). What follows a name's NUL
// is the next name, so only the bytes up to the first NUL count.
bool name_less(const char* a, const char* b) {
    for (;; a += sizeof(std::uint64_t), b += sizeof(std::uint64_t)) {
        const std::uint64_t x = word_at(a);
        const std::uint64_t y = word_at(b);
        const std::uint64_t ends = zero_bytes(x);
        // Everything down to and with the first NUL of `a`.
        const int end_bit = ends != 0 ? 63 - std::countl_zero(ends) - 7 : 0;
        const std::uint64_t counted = ~std::uint64_t{0} << end_bit;
        if ((x & counted) != (y & counted)) return (x & counted) < (y & counted);
        if (ends != 0) return false;  // the same name
    }
}

}  // namespace

void DirectoryListing::sort() {
    names_.append(kWordPadding, '\0');
    std::sort(entries_.begin(), entries_.end(),
              [&](const Entry& a, const Entry& b) { return name_less(c_name(a), c_name(b)); });
}

bool DirectoryListing::holds(std::string_view wanted) const {
    const auto found = std::lower_bound(entries_.begin(), entries_.end(), wanted,
                                        [&](const Entry& entry, std::string_view key) { return name(entry) < key; });
    return found != entries_.end() && name(*found) == wanted;
}

std::variant<DirectoryListing, int> DirectoryListing::read(int directory_fd) {
    // A descriptor of its own: closedir() closes it, and the directory's stays open.
    const int listing_fd = ::fcntl(directory_fd, F_DUPFD_CLOEXEC, 0);
    if (listing_fd < 0) return errno;
    DIR* directory = ::fdopendir(listing_fd);
    if (directory == nullptr) {
        const int error = errno;
        ::close(listing_fd);
        return error;
    }
    DirectoryListing listing;
    int failure = 0;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(directory);
        if (entry == nullptr) {
            failure = errno;
            break;
        }
        const std::string_view name = entry->d_name;
        if (name != "." && name != ".." && !listing.add(name, entry->d_type)) {
            failure = EOVERFLOW;  // 4 GiB of names: beyond any real file system
            break;
        }
    }
    ::closedir(directory);
    if (failure != 0) return failure;
    listing.sort();
    return listing;
}

}  // namespace quorv::cli
