#include "cli/directory_listing.h"

#include <algorithm>
#include <cerrno>
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

void DirectoryListing::sort() {
    std::sort(entries_.begin(), entries_.end(),
              [&](const Entry& a, const Entry& b) { return name(a) < name(b); });
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
