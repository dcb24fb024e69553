// The XYZ reader: the first frame of a text, its extended keys ignored.
#include "xyz/xyz_reader.h"

#include "xyz/first_frame.h"

namespace quorv {

ReadResult parse_xyz(std::string_view text) {
    ClusterSpec spec;
    if (auto error = xyz::read_first_frame(text, spec, nullptr)) return std::move(*error);
    return spec;
}

}  // namespace quorv
