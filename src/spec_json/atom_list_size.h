// Room for the atom list before it is read, judged from the text its first
// atoms took: a list that grows by doubling moves every atom it holds each
// time, and faults in fresh pages for the copy.
#pragma once

#include <cstddef>
#include <new>
#include <stdexcept>
#include <vector>

namespace quorv::spec_json {

// The list takes room for kSampleAtoms before its first atom (fewer when the
// text cannot hold so many): one allocation for the many short lists. Once
// it holds kSampleAtoms, it takes room for all it likely holds.
inline constexpr std::size_t kSampleAtoms = 64;

// How many atoms the list will likely hold in all, when `atoms` of them took
// `bytes_read` bytes and `bytes_left` bytes of text follow: the rest at the
// same bytes per atom, and an eighth more so that a list a little denser
// than its start still fits. Never more than the rest of the text can hold
// (an atom and its comma take 11 bytes at least: ["",0,0,0],), which is
// also the answer when no atom has been read.
std::size_t likely_atom_count(std::size_t atoms, std::size_t bytes_read, std::size_t bytes_left);

// Reserves room for `count` items in all. The room is only a hint: when it
// cannot be had (under an address-space limit, say), the list grows as it goes.
template <typename Item>
void reserve_if_possible(std::vector<Item>& items, std::size_t count) {
    if (count <= items.capacity()) return;
    try {
        items.reserve(count);
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
}

// Gives back room that a wrong guess left unused: a list that ended long
// before its text did, with some other large value after it.
template <typename Item>
void release_unused(std::vector<Item>& items) {
    if (items.capacity() - items.size() <= items.size() / 4 + kSampleAtoms) return;
    try {
        items.shrink_to_fit();
    } catch (const std::bad_alloc&) {
        // Keeping the room is no fault, only a waste.
    }
}

}  // namespace quorv::spec_json
