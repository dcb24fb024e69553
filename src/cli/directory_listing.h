// The entries of a directory, read once and sorted bytewise: what a search
// goes through in output order. Every name sits in one buffer, so a folder
// of many files costs two allocations, not one per name, and sorting moves
// small records instead of strings.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quorv::cli {

class DirectoryListing {
public:
    struct Entry {
        std::uint32_t offset;  // of the name in the buffer, which ends it with a NUL
        std::uint32_t length;
        unsigned char type;  // a DT_* value; DT_UNKNOWN where the file system does not say
    };

    // The entries of an open directory (without "." and ".."), or the errno
    // that stopped the listing. The descriptor stays open.
    static std::variant<DirectoryListing, int> read(int directory_fd);

    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    const Entry& operator[](std::size_t index) const { return entries_[index]; }

    std::string_view name(const Entry& entry) const { return {names_.data() + entry.offset, entry.length}; }
    // The same name as a C string, for the calls that open it.
    const char* c_name(const Entry& entry) const { return names_.data() + entry.offset; }

    // Whether an entry has exactly this name.
    bool holds(std::string_view name) const;

private:
    // False when the names would outgrow the offsets.
    bool add(std::string_view name, unsigned char type);
    void sort();

    std::string names_;
    std::vector<Entry> entries_;
};

}  // namespace quorv::cli
