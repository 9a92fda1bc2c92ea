// The generic tree: link structure, the three walks, erase, copies and moves.
#include <string>
#include <type_traits>
#include <vector>

#include "TestHarness.h"
#include "TreeChecks.h"
#include "tree.h"

using Marlin::tree;
using Tree = tree<std::string>;

namespace {

std::string Name(const std::string& s) { return s; }

// r
//   a
//     a1
//     a2
//       a2x
//   b
//   c
//     c1
Tree Fixture() {
    Tree t;
    auto r = t.set_head("r");
    auto a = t.append_child(r, "a");
    t.append_child(a, "a1");
    auto a2 = t.append_child(a, "a2");
    t.append_child(a2, "a2x");
    t.append_child(r, "b");
    auto c = t.append_child(r, "c");
    t.append_child(c, "c1");
    return t;
}

const char* const kFixturePicture =
    "r\n  a\n    a1\n    a2\n      a2x\n  b\n  c\n    c1\n";

template <class TreeT>
auto Find(TreeT& t, const std::string& name) {
    for (auto it = t.begin(); it != t.end(); ++it)
        if (*it == name) return it;
    return t.end();
}

std::string Walk(const Tree& t) {
    std::string s;
    for (auto it = t.begin(); it != t.end(); ++it) s += *it + " ";
    return s;
}

}  // namespace

TEST_CASE("pre-order visits a node, its children's subtrees in order, and then reaches end") {
    Tree t = Fixture();
    itemtest::CheckLinks(t);
    CHECK_EQ(itemtest::Picture(t, Name), std::string(kFixturePicture));
    CHECK_EQ(t.size(), size_t(8));

    // Stepping off the last node climbs two levels and lands exactly on end().
    auto it = Find(t, "c1");
    ++it;
    CHECK(it == t.end());

    // The head's next sibling is the end node: leaving the head's subtree from any depth ends there.
    auto deep = Find(t, "a2x");
    deep.skip_children();
    CHECK_EQ(*deep, std::string("b"));
    auto head = t.begin();
    head.skip_children();
    CHECK(head == t.end());

    CHECK_EQ(Find(t, "a2").depth(), 2);
    CHECK_EQ(Find(t, "a").number_of_children(), 2);
    CHECK_EQ(t.begin().number_of_children(), 3);
}

TEST_CASE("an empty tree begins at its end; a head is set once; end() takes no children") {
    Tree t;
    CHECK(t.empty());
    CHECK(t.begin() == t.end());
    itemtest::CheckLinks(t);

    auto h = t.set_head("first");
    auto again = t.set_head("second");
    CHECK(h == again);
    CHECK_EQ(*t.begin(), std::string("first"));

    CHECK(t.append_child(t.end(), "lost") == t.end());
    CHECK(t.append_child(Tree::iterator(), "lost") == t.end());
    CHECK_EQ(t.size(), size_t(1));
    itemtest::CheckLinks(t);
}

TEST_CASE("sibling iteration covers one node's children; ends of different lists differ") {
    Tree t = Fixture();
    auto r = t.begin();
    std::string kids;
    for (auto s = t.begin_children(r); s != t.end_children(r); ++s) kids += *s;
    CHECK_EQ(kids, std::string("abc"));

    auto leaf = Find(t, "a2x");
    CHECK(t.begin_children(leaf) == t.end_children(leaf));
    CHECK(t.end_children(Find(t, "a")) != t.end_children(Find(t, "c")));

    // The const forms walk the same children, and a non-const iterator converts to them.
    const Tree& ct = t;
    Tree::const_iterator ca = Find(t, "a");
    std::string constKids;
    for (auto s = ct.begin_children(ca); s != ct.end_children(ca); ++s) constKids += *s;
    CHECK_EQ(constKids, std::string("a1a2"));

    // A sibling position continues as a pre-order walk.
    auto b = Tree::iterator(++t.begin_children(r));
    CHECK_EQ(*++b, std::string("c"));
}

TEST_CASE("parent iteration climbs from a node through the head and then ends") {
    Tree t = Fixture();
    std::string up;
    for (Tree::parent_iterator p(Find(t, "a2x")); p != Tree::parent_iterator(); ++p) up += *p + " ";
    CHECK_EQ(up, std::string("a2x a2 a r "));

    const Tree& ct = t;
    Tree::const_parent_iterator cp(Find(ct, "c1"));
    CHECK_EQ(*++cp, std::string("c"));
}

TEST_CASE("erase frees the whole subtree and returns the pre-order successor") {
    struct Row {
        const char* erase;
        const char* successor;  // nullptr: end()
        const char* walk;
    };
    const Row rows[] = {
        {"a1", "a2", "r a a2 a2x b c c1 "},
        {"a2x", "b", "r a a1 a2 b c c1 "},  // climbs two levels
        {"a", "b", "r b c c1 "},
        {"b", "c", "r a a1 a2 a2x c c1 "},
        {"c1", nullptr, "r a a1 a2 a2x b c "},
        {"c", nullptr, "r a a1 a2 a2x b "},
        {"r", nullptr, ""},
    };
    for (const Row& row : rows) {
        CONTEXT(std::string("erase ") + row.erase);
        Tree t = Fixture();
        auto next = t.erase(Find(t, row.erase));
        if (row.successor)
            CHECK_EQ(*next, std::string(row.successor));
        else
            CHECK(next == t.end());
        CHECK_EQ(Walk(t), std::string(row.walk));
        itemtest::CheckLinks(t);
    }

    // A tree whose head was erased takes a new one.
    Tree t = Fixture();
    t.erase(t.begin());
    CHECK(t.empty());
    t.set_head("new");
    t.append_child(t.begin(), "kid");
    CHECK_EQ(Walk(t), std::string("new kid "));
    itemtest::CheckLinks(t);

    // Erasing the end is a no-op.
    Tree u = Fixture();
    CHECK(u.erase(u.end()) == u.end());
    CHECK_EQ(u.size(), size_t(8));
}

TEST_CASE("a copy is deep: same shape, own nodes, own end, and later changes stay apart") {
    Tree original = Fixture();
    Tree copy(original);
    itemtest::CheckLinks(copy);
    CHECK_EQ(itemtest::Picture(copy, Name), std::string(kFixturePicture));
    for (auto a = original.begin(), b = copy.begin(); a != original.end(); ++a, ++b) CHECK(a.node() != b.node());

    *Find(copy, "a1") = "changed";
    copy.append_child(Find(copy, "b"), "b1");
    original.erase(Find(original, "c"));
    CHECK_EQ(Walk(original), std::string("r a a1 a2 a2x b "));
    CHECK_EQ(Walk(copy), std::string("r a changed a2 a2x b b1 c c1 "));
    itemtest::CheckLinks(original);
    itemtest::CheckLinks(copy);

    // Assignment replaces what was there; self-assignment changes nothing.
    Tree target;
    target.set_head("old");
    target.append_child(target.begin(), "old kid");
    target = copy;
    CHECK_EQ(Walk(target), Walk(copy));
    target = static_cast<const Tree&>(target);
    CHECK_EQ(Walk(target), Walk(copy));
    itemtest::CheckLinks(target);

    Tree empty;
    Tree emptyCopy(empty);
    CHECK(emptyCopy.begin() == emptyCopy.end());
    target = empty;
    CHECK(target.empty());
}

TEST_CASE("a moved tree ends at its own end node, and trees survive a growing vector") {
    static_assert(std::is_nothrow_move_constructible_v<Tree>, "a vector of trees must move, not copy");

    Tree source = Fixture();
    auto a = Find(source, "a");
    Tree moved(std::move(source));
    CHECK(source.empty());
    CHECK(source.begin() == source.end());
    CHECK_EQ(*a, std::string("a"));  // positions at nodes stay valid
    CHECK_EQ(Walk(moved), std::string("r a a1 a2 a2x b c c1 "));
    itemtest::CheckLinks(moved);
    itemtest::CheckLinks(source);

    Tree assigned = Fixture();
    assigned = std::move(moved);
    CHECK_EQ(Walk(assigned), std::string("r a a1 a2 a2x b c c1 "));
    itemtest::CheckLinks(assigned);

    // Each reallocation relocates every tree; a walk that still ran into an old end node
    // would not stop at end().
    std::vector<Tree> trees;
    for (int i = 0; i < 40; ++i) {
        trees.push_back(Fixture());
        *trees.back().begin() = std::to_string(i);
    }
    for (size_t i = 0; i < trees.size(); ++i) {
        CONTEXT("tree " + std::to_string(i));
        CHECK_EQ(trees[i].size(), size_t(8));
        CHECK_EQ(*trees[i].begin(), std::to_string(i));
        itemtest::CheckLinks(trees[i]);
    }
}

TEST_CASE("very deep trees are copied, walked and freed without exhausting the stack") {
    const int depth = 100000;
    Tree t;
    auto n = t.set_head("0");
    for (int i = 1; i < depth; ++i) n = t.append_child(n, std::to_string(i));
    CHECK_EQ(n.depth(), depth - 1);

    Tree copy(t);
    CHECK_EQ(copy.size(), size_t(depth));
    auto last = copy.begin();
    for (int i = 1; i < depth; ++i) ++last;
    CHECK_EQ(*last, std::to_string(depth - 1));
    CHECK(++last == copy.end());

    t.erase(t.begin_children(t.begin()));
    CHECK_EQ(t.size(), size_t(1));
}
