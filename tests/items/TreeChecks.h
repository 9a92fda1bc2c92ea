// Helpers for the item tests: a readable picture of a tree's shape, and a check of the
// link invariants that every operation must keep.
#pragma once

#include <sstream>
#include <string>

#include "TestHarness.h"
#include "tree.h"

namespace itemtest {

// One line per node in pre-order: two spaces per depth level, then whatever show() gives.
template <class T, class Show>
std::string Picture(const Marlin::tree<T>& t, Show show) {
    std::ostringstream os;
    for (auto it = t.begin(); it != t.end(); ++it) os << std::string(2 * it.depth(), ' ') << show(*it) << '\n';
    return os.str();
}

// Parent, sibling and first/last-child links agree, depths follow the parents, child counts
// match the children linked, and the head leads to the end node.
template <class T>
void CheckLinks(const Marlin::tree<T>& t) {
    using Node = typename Marlin::tree<T>::node_type;
    if (t.empty()) {
        CHECK(t.begin() == t.end());
        CHECK(t.end().node()->prev_sibling == nullptr);
        return;
    }
    const Node* head = t.begin().node();
    CHECK(head->parent == nullptr);
    CHECK_EQ(head->depth, 0);
    CHECK(head->next_sibling == t.end().node());
    CHECK(t.end().node()->prev_sibling == head);
    for (auto it = t.begin(); it != t.end(); ++it) {
        const Node* n = it.node();
        int32_t count = 0;
        const Node* prev = nullptr;
        for (const Node* c = n->first_child; c; c = c->next_sibling) {
            ++count;
            CHECK(c->parent == n);
            CHECK(c->prev_sibling == prev);
            CHECK_EQ(c->depth, n->depth + 1);
            prev = c;
        }
        CHECK(n->last_child == prev);
        CHECK_EQ(n->child_count, count);
    }
}

}  // namespace itemtest
