#include "dataset/frame_results.h"

namespace quorv::dataset {

void FrameResults::add_linted(const ShortestContacts& contacts) { add_contacts(contacts); }

void FrameResults::add_failed(std::string message, std::optional<std::uint64_t> line) {
    failures.push_back({frames(), std::move(message), line});
    add_contacts(kNotMeasured);
}

void FrameResults::add_contacts(const ShortestContacts& contacts) {
    hydrogen_contacts.push_back(contacts.hydrogen);
    heavy_contacts.push_back(contacts.heavy);
}

}  // namespace quorv::dataset
