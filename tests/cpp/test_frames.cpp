// Multi-frame XYZ: how a text divides into frames, read in chunks of any
// size, what each frame reads as, and where its failures point.
#include <string>
#include <variant>
#include <vector>

#include "check.h"
#include "front/lint_frame.h"
#include "lint_helpers.h"
#include "text/utf8.h"
#include "xyz/frame_divider.h"
#include "xyz/frame_reader.h"
#include "xyz/xyz_reader.h"

using namespace quorv;
using namespace quorv::testing;
using namespace quorv::xyz;

namespace {

std::vector<FramePiece> pieces_of(std::string_view text, std::size_t chunk) {
    FrameReader reader;
    std::vector<FramePiece> pieces;
    for (std::size_t at = 0; at < text.size(); at += chunk) {
        reader.feed(text.substr(at, chunk));
        while (auto piece = reader.next()) pieces.push_back(std::move(*piece));
    }
    reader.finish();
    while (auto piece = reader.next()) pieces.push_back(std::move(*piece));
    return pieces;
}

std::string lines_text(const std::vector<std::uint64_t>& lines) {
    std::string text;
    for (const std::uint64_t line : lines) {
        if (!text.empty()) text += ',';
        text += std::to_string(line);
    }
    return text;
}

// One line per frame: "0@1 read: 3 atoms on lines 3,4,5" or "1@6 failed at line 8: ...".
std::string frames_of(std::string_view text, std::size_t chunk = 1 << 16) {
    std::string out;
    for (const FramePiece& piece : pieces_of(text, chunk)) {
        FrameResult result = std::holds_alternative<FrameText>(piece) ? read_frame(std::get<FrameText>(piece))
                                                                      : FrameResult(std::get<FrameFailure>(piece));
        if (const auto* failure = std::get_if<FrameFailure>(&result)) {
            out += std::to_string(failure->index) + " failed at line " + std::to_string(failure->line) + ": " +
                   failure_text(*failure) + "\n";
            continue;
        }
        const Frame& frame = std::get<Frame>(result);
        out += std::to_string(frame.index) + "@" + std::to_string(frame.first_line) + " read: " +
               std::to_string(frame.spec.atoms.size()) + " atoms on lines " + lines_text(frame.atom_lines) +
               (frame.cell ? ", periodic" : "") + "\n";
    }
    return out;
}

// The findings of every frame, "frame N: severity code: message" each.
std::string findings_of(std::string_view text) {
    std::string out;
    for (const FramePiece& piece : pieces_of(text, 7)) {
        if (!std::holds_alternative<FrameText>(piece)) continue;
        FrameResult result = read_frame(std::get<FrameText>(piece));
        if (const auto* frame = std::get_if<Frame>(&result)) {
            FindingList list;
            lint(frame->spec, frame->cell, list);
            out += render(list.findings);
        } else {
            out += "failure: " + std::get<FrameFailure>(result).message + "\n";
        }
    }
    return out;
}

const std::string kWater = "3\ncharge=0 mult=1\nO 0 0 0.119\nH 0 0.763 -0.477\nH 0 -0.763 -0.477\n";

}  // namespace

TEST(a_text_divides_into_frames_at_their_counts) {
    // Blank lines between and inside frames, CR LF line ends, no final line feed.
    const std::string text = kWater + "\n\n2\r\nsecond\r\nH 0 0 0\r\n\r\nH 0 0 0.74\r\n\n0\nempty frame\n1\nlast\nHe 0 0 0";
    const std::string expected =
        "0@1 read: 3 atoms on lines 3,4,5\n"
        "1@8 read: 2 atoms on lines 10,12\n"
        "2@14 read: 0 atoms on lines \n"
        "3@16 read: 1 atoms on lines 18\n";
    for (std::size_t chunk = 1; chunk <= text.size(); ++chunk) CHECK_EQ(frames_of(text, chunk), expected);
}

TEST(each_frame_reads_as_its_text_alone) {
    for (const FramePiece& piece : pieces_of(kWater + kWater + "2\n\nN 0 0 0\nN 0 0 1.1\n", 5)) {
        const auto& frame = std::get<FrameText>(piece);
        const FrameResult read = read_frame(frame);
        CHECK_EQ(render(lint(std::get<Frame>(read).spec)), render(lint(std::get<ClusterSpec>(parse_xyz(frame.text)))));
    }
}

TEST(frames_that_cannot_be_read_fail_alone_with_their_line) {
    struct Case {
        std::string text;
        std::string frames;
    };
    const std::vector<Case> cases = {
        // A bad atom line: the reader's text and the line in the file; the next frame still reads.
        {"2\n\nH 0 0 0\nH 0 x 0\n" + kWater,
         "0 failed at line 4: atom line 2: y coordinate is not a number\n1@5 read: 3 atoms on lines 7,8,9\n"},
        // An atom line more than the count declares: where a count line should be.
        {kWater + "H 1 1 1\n",
         "0@1 read: 3 atoms on lines 3,4,5\n1 failed at line 6: first line must be the atom count, got \"H 1 1 1\"; "
         "the file cannot be divided into frames from line 6 on\n"},
        // A last frame that ends too soon.
        {kWater + "3\n\nO 0 0 0\nH 0 0 1\n",
         "0@1 read: 3 atoms on lines 3,4,5\n1 failed at line 6: header declares 3 atom(s) but 2 were found\n"},
        // A count line that does not read: nothing after it is divided, however well formed.
        {kWater + "three\n\n" + kWater,
         "0@1 read: 3 atoms on lines 3,4,5\n1 failed at line 6: first line must be the atom count, got \"three\"; "
         "the file cannot be divided into frames from line 6 on\n"},
        {"", "0 failed at line 1: empty file\n"},
        // The first frame's failure is the file's, as parse_xyz words it.
        {"\n\n", "0 failed at line 1: first line must be the atom count, got \"\"\n"},
        // Bytes that are not UTF-8 fail their frame, at the line that holds them.
        {"2\n\nH 0 0 0\nH 0 \xff 0\n" + kWater,
         "0 failed at line 4: stream did not contain valid UTF-8\n1@5 read: 3 atoms on lines 7,8,9\n"},
        // Where the text cannot be divided, the rest decides which failure it is.
        {kWater + "H 1 1 1\n" + kWater + "\xc3(\n",
         "0@1 read: 3 atoms on lines 3,4,5\n1 failed at line 6: stream did not contain valid UTF-8; the file cannot "
         "be divided into frames from line 6 on\n"},
        // A count of zero ends the frame at its comment line.
        {"0\n\n\n" + kWater, "0@1 read: 0 atoms on lines \n1@4 read: 3 atoms on lines 6,7,8\n"},
    };
    for (const Case& c : cases) {
        CHECK_EQ(frames_of(c.text), c.frames);
        CHECK_EQ(frames_of(c.text, 3), c.frames);
    }
}

TEST(extended_xyz_columns_give_element_and_position) {
    // As ASE writes them: forces after the position, Z after it or before everything.
    const std::string forces =
        "3\nProperties=species:S:1:pos:R:3:forces:R:3 charge=0 energy=-1.0 pbc=\"F F F\"\n"
        "O 0.0 0.0 0.119 1.0 1.0 1.0\nH 0.0 0.763 -0.477 1.0 1.0 1.0\nH 0.0 -0.763 -0.477 1.0 1.0 1.0\n";
    const std::string z_first =
        "3\nmult=1 Properties=Z:I:1:species:S:1:pos:R:3 charge=0\n"
        "8 O 0.0 0.0 0.119\n1 H 0.0 0.763 -0.477\n1 h 0.0 -0.763 -0.477\n";
    const std::string z_only = "3\nProperties=Z:I:1:dummy:L:1:pos:R:3 charge=0 mult=1\n"
                               "8 T 0.0 0.0 0.119\n1 F 0.0 0.763 -0.477\n+1 F 0.0 -0.763 -0.477\n";
    const std::string plain = findings_of(kWater);
    CHECK_EQ(findings_of(forces), findings_of("3\ncharge=0\nO 0.0 0.0 0.119\nH 0.0 0.763 -0.477\nH 0.0 -0.763 -0.477\n"));
    CHECK_EQ(findings_of(z_first), plain);
    CHECK_EQ(findings_of(z_only), plain);
    // A Z without a symbol stays as written, and the electron count abstains on it.
    CHECK_EQ(findings_of("1\nProperties=Z:I:1:pos:R:3\n0 0 0 0\n"),
             std::string("warning electron-parity-abstain: electron parity not checked: charge and/or spin "
                         "multiplicity not provided (a bare geometry omits them). Declare both to enable it.\n"));
    CHECK_EQ(findings_of("1\nProperties=Z:I:1:pos:R:3 charge=0 mult=1\n0 0 0 0\n"),
             std::string("warning electron-parity-abstain: electron count not verified: unknown atomic number for 0\n"));
}

TEST(extended_keys_that_do_not_read_fail_the_frame_on_its_comment_line) {
    struct Case {
        std::string comment;
        std::string atom_line;
        std::string failure;
    };
    const std::vector<Case> cases = {
        {"Properties=species:S:1:pos:R", "H 0 0 0",
         "comment line: Properties must be name:type:columns triples, got \"species:S:1:pos:R\""},
        {"Properties=species:S:1:pos:X:3", "H 0 0 0", "comment line: Properties gives pos the type X, not S, R, I or L"},
        {"Properties=species:S:1:pos:R:0", "H 0 0 0",
         "comment line: Properties gives pos a column count of 0, not a positive whole number"},
        {"Properties=species:S:1:pos:R:3:pos:R:3", "H 0 0 0", "comment line: Properties names pos twice"},
        {"Properties=species:S:1:pos:R:2", "H 0 0", "comment line: Properties gives pos as R:2, not R:3"},
        {"Properties=species:S:1", "H", "comment line: Properties has no pos column"},
        {"Properties=pos:R:3:forces:R:3", "0 0 0 0 0 0", "comment line: Properties has neither a species nor a Z column"},
        {"Properties=species:R:1:pos:R:3", "1 0 0 0", "comment line: Properties gives species as R:1, not S:1"},
        {"Properties=Z:S:1:pos:R:3", "H 0 0 0", "comment line: Properties gives Z as S:1, not I:1"},
        {"Lattice=\"10 0 0 0 10 0 0 0\"", "H 0 0 0", "comment line: Lattice must be nine numbers, got \"10 0 0 0 10 0 0 0\""},
        {"Lattice=\"10 0 0 0 10 0 0 0 10\" pbc=\"T T\"", "H 0 0 0", "comment line: pbc must be three of T or F, got \"T T\""},
        {"Lattice=\"10 0 0 0 10 0 0 0 10", "H 0 0 0", "comment line: the value of Lattice has no closing quote"},
        {"Lattice=\"10 0 0 0 0 0 0 0 10\"", "H 0 0 0",
         "comment line: the periodic Lattice vectors make no cell (one is zero, or they lie in a line or a plane)"},
        {"Lattice=\"10 0 0 0 nan 0 0 0 10\"", "H 0 0 0", "comment line: a periodic Lattice vector is not finite or too long to measure"},
        {"Lattice=\"1e200 0 0 0 1e200 0 0 0 1e200\"", "H 0 0 0",
         "comment line: a periodic Lattice vector is not finite or too long to measure"},
        {"Lattice=\"10 0 0 0 0.3 0 0 0 10\"", "H 0 0 0",
         "comment line: the Lattice repeats closer than 0.5 \u00c5, so every atom would overlap its own image"},
        // The atom lines against the columns Properties declares.
        {"Properties=species:S:1:pos:R:3:forces:R:3", "H 0 0 0 1 1",
         "atom line 1 has 6 columns but Properties declares 7"},
        {"Properties=Z:I:1:pos:R:3", "H 0 0 0", "atom line 1: Z is not a whole number"},
        {"Properties=Z:I:1:pos:R:3", "1 0 zero 0", "atom line 1: y coordinate is not a number"},
        // The column count is judged first, then the element, then the first coordinate that fails.
        {"Properties=Z:I:1:pos:R:3", "x 0 zero", "atom line 1 has 3 columns but Properties declares 4"},
        {"Properties=Z:I:1:pos:R:3", "x 0 zero 0", "atom line 1: Z is not a whole number"},
        {"Properties=species:S:1:pos:R:3:q:R:1", "H 0 y z 1", "atom line 1: y coordinate is not a number"},
    };
    for (const Case& c : cases) {
        const std::string text = "1\n" + c.comment + "\n" + c.atom_line + "\n";
        const bool on_atom_line = c.failure.starts_with("atom line");
        CHECK_EQ(frames_of(text), "0 failed at line " + std::string(on_atom_line ? "3" : "2") + ": " + c.failure + "\n");
        // The single-frame reader knows nothing of these keys.
        if (c.atom_line == "H 0 0 0") CHECK(std::holds_alternative<ClusterSpec>(parse_xyz(text)));
    }
}

TEST(lattice_and_pbc_make_a_frame_periodic) {
    const std::string lattice = "Lattice=\"10.0 0.0 0.0 0.0 10.0 0.0 0.0 0.0 10.0\"";
    struct Case {
        std::string comment;
        bool periodic;
    };
    const std::vector<Case> cases = {
        {lattice + " pbc=\"T T T\"", true},
        {lattice, true},  // ASE: a Lattice without pbc repeats along all three axes
        {lattice + " pbc=\"F F F\"", false},
        {lattice + " pbc=\"F F T\"", true},
        {lattice + " pbc=F", false},
        {lattice + " pbc=\"True, False, False\"", true},
        {"pbc=\"T T T\"", false},  // no cell to repeat
        {"lattice=\"10 0 0 0 10 0 0 0 10\"", false},  // keys match as ASE matches them, case and all
        {"comment=\"Lattice=broken\" " + lattice + " pbc='T T T'", true},
    };
    for (const Case& c : cases) {
        const std::string frames = frames_of("1\n" + c.comment + "\nAr 1 1 1\n");
        CHECK_EQ(frames, std::string("0@1 read: 1 atoms on lines 3") + (c.periodic ? ", periodic" : "") + "\n");
    }
}

TEST(each_frame_has_the_cell_of_its_own_comment_line) {
    // Frames of one text that keep, change, drop and break their cell.
    const std::string cubic = "Lattice=\"10 0 0 0 10 0 0 0 10\"";
    const std::vector<std::string> comments = {
        cubic + " pbc=\"T T T\"", cubic + " pbc=\"T T T\"", cubic + " pbc=\"F F F\"",
        "Lattice=\"20 0 0 0 20 0 0 0 20\" pbc=\"T T T\"", "Lattice=\"10 0 0 0 10 0 0 0", cubic + " pbc=\"T T T\"",
        "pbc=\"T T T\"",
    };
    std::string text;
    for (const std::string& comment : comments) text += "1\n" + comment + "\nAr 1 1 1\n";
    std::string periods;
    for (const FramePiece& piece : pieces_of(text, 9)) {
        const FrameResult result = read_frame(std::get<FrameText>(piece));
        const auto* frame = std::get_if<Frame>(&result);
        periods += frame == nullptr ? "failed" : frame->cell ? std::to_string(frame->cell->shortest_period()) : "none";
        periods += " ";
    }
    CHECK_EQ(periods, std::string("10.000000 10.000000 none 20.000000 failed 10.000000 none "));
}

TEST(frames_come_out_whole_however_they_are_drained) {
    std::string text;
    for (int i = 0; i < 40; ++i) text += (i % 3 == 0 ? kWater : "2\nH2\nH 0 0 0\n\nH 0 0 0.74\n");
    const auto texts_of = [](const std::vector<FramePiece>& pieces) {
        std::string joined;
        for (const FramePiece& piece : pieces) {
            const auto& frame = std::get<FrameText>(piece);
            joined += std::to_string(frame.index) + "@" + std::to_string(frame.first_line) + ":" + frame.text + "|";
        }
        return joined;
    };
    const std::string expected = texts_of(pieces_of(text, text.size()));
    for (const std::size_t chunk : {1, 7, 64, 1000}) {
        CHECK_EQ(texts_of(pieces_of(text, chunk)), expected);
        // Nothing taken until the input has ended: the reader keeps what it divided.
        FrameReader kept;
        for (std::size_t at = 0; at < text.size(); at += chunk) kept.feed(std::string_view(text).substr(at, chunk));
        kept.finish();
        std::vector<FramePiece> late;
        while (auto piece = kept.next()) late.push_back(std::move(*piece));
        CHECK_EQ(texts_of(late), expected);
    }
}

TEST(findings_of_a_frame_point_at_its_frame_and_lines) {
    // Frame 1 has two hydrogens on the same spot (lines 9 and 11) and no charge.
    const std::string text = kWater + "3\n\nO 0 0 0\nH 0 0 1\n\nH 0 0 1\n";
    std::string located;
    for (const FramePiece& piece : pieces_of(text, 4)) {
        const FrameResult result = read_frame(std::get<FrameText>(piece));
        FindingList list;
        front::lint_frame(std::get<Frame>(result), list);
        for (const Finding& finding : list.findings) {
            located += std::string(finding.code_name()) + " frame " + std::to_string(*finding.location().frame()) +
                       " line " + std::to_string(*finding.location().line()) + "\n";
        }
    }
    CHECK_EQ(located, std::string("overlapping-atoms frame 1 line 9\nelectron-parity-abstain frame 1 line 6\n"));
}

TEST(a_divider_says_ascii_only_of_bytes_that_are) {
    // Frames with a byte beyond ASCII here and there (a no-break space, a
    // stray byte), divided from chunks of every size with the bytes before
    // the pending frame dropped as a reader drops them: whenever the divider
    // says the bytes before the end of its frames are ASCII, they are.
    const std::vector<std::string> frames = {kWater, "1\ncomment \xC3\xA9\nH 0 0 0\n", "1\n\nH\xC2\xA0 0 0 0\n",
                                             "1\n\nHe 0 0 \xff\n", "2\n\n\nH 0 0 0\nH 0 0 1\n"};
    std::uint32_t state = 3;
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        for (int i = 0; i < 6; ++i) {
            state = state * 1103515245u + 12345u;
            text += frames[(state >> 16) % frames.size()];
        }
        state = state * 1103515245u + 12345u;
        const std::size_t chunk = 1 + (state >> 16) % 40;
        FrameDivider divider;
        std::string buffer;
        std::vector<DividedPiece> pieces;
        for (std::size_t at = 0; at <= text.size(); at += chunk) {
            buffer += text.substr(at, chunk);
            if (at + chunk > text.size()) divider.finish(buffer, pieces);
            else divider.divide(buffer, pieces);
            for (const DividedPiece& piece : pieces) {
                const auto* span = std::get_if<FrameSpan>(&piece);
                if (span != nullptr && divider.ascii_before(span->end)) {
                    CHECK(is_ascii(std::string_view(buffer).substr(0, span->end)));
                }
            }
            pieces.clear();
            if (round % 2 == 0) {
                const std::size_t done = divider.needed_from();
                buffer.erase(0, done);
                divider.dropped(done);
            }
        }
    }
}
