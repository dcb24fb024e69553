// The quick reading of a data set's frames against the general one: a frame
// the quick reader takes must read exactly as read_frame reads it, and a
// remembered comment line must say what a fresh reading of the line says.
#include <bit>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "check.h"
#include "text/utf8.h"
#include "xyz/comment_memo.h"
#include "xyz/frame_comment.h"
#include "xyz/frame_divider.h"
#include "xyz/frame_reader.h"
#include "xyz/usual_frame.h"

using namespace quorv;
using namespace quorv::xyz;

namespace {

class Random {
public:
    explicit Random(std::uint32_t seed) : state_(seed) {}
    std::size_t below(std::size_t bound) {
        state_ = state_ * 1103515245u + 12345u;
        return (state_ >> 8) % bound;
    }
    template <typename T>
    const T& pick(const std::vector<T>& from) {
        return from[below(from.size())];
    }

private:
    std::uint32_t state_;
};

std::string bits(double value) { return std::to_string(std::bit_cast<std::uint64_t>(value)); }

template <typename T>
std::string optional_text(const std::optional<T>& value) {
    return value ? std::to_string(*value) : "-";
}

std::string describe_cell(const std::optional<geometry::PeriodicCell>& cell) {
    if (!cell) return "molecule";
    std::string text = "periodic";
    for (std::size_t axis = 0; axis < cell->periodic_count(); ++axis) {
        for (const double component : cell->lattice_vector(axis)) {
            text += ' ';
            text += bits(component);
        }
    }
    return text;
}

std::string describe(const FrameComment& comment) {
    std::string text = optional_text(comment.charge_and_multiplicity.charge) + "/" +
                       optional_text(comment.charge_and_multiplicity.spin_multiplicity) + " " +
                       describe_cell(comment.cell);
    if (comment.columns) {
        const AtomColumns& columns = *comment.columns;
        text += " columns " + std::to_string(columns.total) + ":" + std::to_string(columns.element) +
                (columns.element_is_atomic_number ? "Z" : "S") + ":" + std::to_string(columns.position);
    }
    return text;
}

std::string describe(const std::variant<FrameComment, ReadError>& reading) {
    if (const auto* error = std::get_if<ReadError>(&reading)) return "error: " + error->message;
    return describe(std::get<FrameComment>(reading));
}

// Everything read_frame fills, to the last bit.
std::string describe(const Frame& frame) {
    std::string text = std::to_string(frame.index) + "@" + std::to_string(frame.first_line) + " " +
                       optional_text(frame.spec.charge) + "/" + optional_text(frame.spec.spin_multiplicity) + " " +
                       describe_cell(frame.cell) + "\n";
    for (std::size_t i = 0; i < frame.spec.atoms.size(); ++i) {
        const Atom& atom = frame.spec.atoms[i];
        text += atom.element + " " + bits(atom.x) + " " + bits(atom.y) + " " + bits(atom.z) + " line " +
                (i < frame.atom_lines.size() ? std::to_string(frame.atom_lines[i]) : "?") + "\n";
    }
    if (frame.atom_lines.size() != frame.spec.atoms.size()) text += "atom lines differ in number\n";
    return text;
}

// A comment line as data sets write them, and in forms that hide or join keys.
std::string comment_line(Random& random) {
    static const std::vector<std::string> parts = {
        "charge=0", "charge=-1", "Charge=2", "mult=1", "mult=3", "multiplicity=2", "total_charge=1",
        "spin_multiplicity=4", "0 1", "-1 2", "energy=-76.410235", "step=12", "time=0.5e-3", "config_type=water",
        "Properties=species:S:1:pos:R:3", "Properties=species:S:1:pos:R:3:forces:R:3",
        "Properties=Z:I:1:pos:R:3", "Properties=pos:R:3:Z:I:1:species:S:1", "Properties=species:S:1",
        "pbc=\"F F F\"", "pbc=\"T T T\"", "pbc=\"T F F\"", "Lattice=\"10 0 0 0 10 0 0 0 10\"",
        "Lattice=\"3.0 0.0 0.0 0.0 3.0 0.0 0.0 0.0 3.0\"", "Lattice=\"1 2 3\"", "note=\"charge=5\"",
        "a=1=2", "9=9", "charge= 3", "mult =2", "x='quoted 1'", "tag={a b}", "k=\\\"1", "#", "  ", "\t"};
    std::string line;
    const std::size_t count = random.below(6);
    for (std::size_t i = 0; i < count; ++i) line += (i == 0 ? "" : " ") + random.pick(parts);
    return line;
}

std::string atom_line(Random& random) {
    static const std::vector<std::string> elements = {"H", "o", "CL", "Fe", "8", "C1", "X"};
    static const std::vector<std::string> numbers = {"0.000000", "-0.763000", "1.5", "12.345678", "-0.25e3",
                                                     "nan", "1e400", "+.5", "007.25", "1,5", "x", "-0.000000",
                                                     "123456789.123456789", "0.1234567890123"};
    static const std::vector<std::string> blanks = {" ", "   ", "\t", " \t "};
    std::string line = random.below(8) == 0 ? random.pick(blanks) : "";
    const std::size_t columns = 1 + random.below(8);
    for (std::size_t i = 0; i < columns; ++i) {
        if (i > 0) line += random.pick(blanks);
        line += i == 0 ? random.pick(elements) : random.pick(numbers);
    }
    if (random.below(10) == 0) line += random.pick(blanks);
    if (random.below(12) == 0) line += "\r";
    return line;
}

// A frame's text: mostly well-formed, sometimes a wrong count, a blank or
// missing line, CR LF ends, no final line feed.
std::string frame_text(Random& random, const std::string& comment) {
    const std::size_t atoms = random.below(6);
    const std::size_t declared = random.below(8) == 0 ? random.below(7) : atoms;
    std::string text = random.below(10) == 0 ? " " : "";
    text += std::to_string(declared);
    text += '\n';
    text += comment;
    text += '\n';
    for (std::size_t i = 0; i < atoms; ++i) {
        if (random.below(15) == 0) text += "\n";
        text += atom_line(random) + "\n";
    }
    if (!text.empty() && random.below(6) == 0) text.pop_back();
    return text;
}

// A line with some of its digits changed to others, as the next frame of a
// data set writes it.
std::string with_digits_changed(Random& random, std::string line) {
    for (char& c : line) {
        if (c >= '0' && c <= '9' && random.below(3) == 0) c = static_cast<char>('0' + random.below(10));
    }
    return line;
}

// Where dividing finds the lines of a text that is one frame.
FrameLayout layout_of(std::string_view text) {
    FrameDivider divider;
    std::vector<DividedPiece> pieces;
    divider.finish(text, pieces);
    for (const DividedPiece& piece : pieces) {
        if (const auto* span = std::get_if<FrameSpan>(&piece)) return span->layout;
    }
    return {};
}

}  // namespace

TEST(a_remembered_comment_line_reads_as_a_fresh_reading) {
    Random random(11);
    std::size_t remembered = 0;
    for (int template_round = 0; template_round < 3000; ++template_round) {
        const std::string base = comment_line(random);
        CommentMemo memo;
        for (int frame = 0; frame < 8; ++frame) {
            const std::string line = frame == 0 ? base : with_digits_changed(random, base);
            const std::string fresh = describe(read_frame_comment(line));
            CHECK_EQ(describe(memo.read(line)) + " for '" + line + "'", fresh + " for '" + line + "'");
            remembered += fresh == describe(memo.read(line)) ? 1 : 0;
        }
    }
    CHECK(remembered > 0);
}

TEST(free_digit_places_are_only_in_values_no_reading_looks_at) {
    const auto places = [](std::string_view line) {
        std::string marks;
        for (const char place : free_digit_places(line)) marks += place != '\0' ? '^' : ' ';
        return marks;
    };
    CHECK_EQ(places("energy=-76.41 charge=0 mult=1"), "       ^^^^^^                ");
    // Keys that end in a searched word, extended keys, quoted values: never.
    CHECK_EQ(places("total_charge=1 Lattice=\"1 0 0\" e=2"), "                                 ^");
    // A blank beside an "=" joins words across it: nothing is certain.
    CHECK_EQ(places("energy = 5 e=2"), "              ");
    CHECK_EQ(places("e=1 x='a b'"), "           ");
}

TEST(usual_frames_read_exactly_as_read_frame_reads_them) {
    Random random(5);
    std::size_t quick = 0;
    for (int data_set = 0; data_set < 400; ++data_set) {
        // One reader per data set, so that its memo carries from frame to frame.
        UsualFrameReader reader;
        const std::string comment = comment_line(random);
        for (std::uint64_t index = 0; index < 40; ++index) {
            const std::string text = frame_text(random, with_digits_changed(random, comment));
            if (!is_ascii(text)) continue;
            const std::uint64_t first_line = 1 + 7 * index;
            const FrameLayout layout = layout_of(text);
            Frame read_quickly;
            if (!reader.read(text, layout, index, first_line, read_quickly)) continue;
            ++quick;
            Frame read_generally;
            const auto failure = read_frame(text, index, first_line, read_generally);
            CHECK(!failure);
            if (!failure) CHECK_EQ(describe(read_quickly) + text, describe(read_generally) + text);
        }
    }
    // Enough of the generated frames are usual ones (about one in six).
    CHECK(quick > 1000);
}
