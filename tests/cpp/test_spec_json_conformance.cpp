// The JSON conformance corpus fed to the reader as raw bytes, including the
// documents that are not UTF-8 and so cannot pass through Python. Each one
// stands as the value of an unlisted key. The corpus lies beside the
// repository, in ../shared; without it this test says so and passes.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <variant>

#include "check.h"
#include "spec_json/spec_json_reader.h"

using namespace quorv;

namespace {

std::filesystem::path corpus_directory() {
    // This file is tests/cpp/ in the repository.
    std::filesystem::path repository = std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
    return repository.parent_path() / "shared" / "testdata" / "json-conformance" / "test_parsing";
}

std::string read_bytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(json_conformance_corpus_as_raw_bytes) {
    std::filesystem::path directory = corpus_directory();
    if (!std::filesystem::is_directory(directory)) {
        std::cerr << "note: no JSON conformance corpus at " << directory << "; skipped\n";
        return;
    }
    int accepted_valid = 0;
    int rejected_broken = 0;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        std::string name = entry.path().filename().string();
        std::string contents = read_bytes(entry.path());
        ReadResult embedded = parse_spec_json("{\"atoms\": [], \"doc\": " + contents + "}");
        bool accepted = std::holds_alternative<ClusterSpec>(embedded);
        if (name.starts_with("y_")) {
            if (!accepted) std::cerr << name << ": " << std::get<ReadError>(embedded).message << "\n";
            CHECK(accepted);
            accepted_valid += accepted;
        } else if (name.starts_with("n_")) {
            if (accepted) std::cerr << name << ": accepted\n";
            CHECK(!accepted);
            rejected_broken += !accepted;
        }
        // As the whole document too: any answer but a crash will do.
        ReadResult whole = parse_spec_json(contents);
        CHECK(std::holds_alternative<ClusterSpec>(whole) || !std::get<ReadError>(whole).message.empty());
    }
    CHECK(accepted_valid > 0);
    CHECK(rejected_broken > 0);
}
