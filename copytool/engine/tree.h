// A generic ordered n-ary tree: one head, children kept in the order they were appended.
// The copy engine keeps one tree of items per source in it, the device code one tree of
// device nodes per USB device.
//
// Besides the head every tree owns an end node that always exists. Once a head is set, the
// head's next sibling is the end node, so the pre-order step that climbs out of the head's
// subtree lands on end() without a special case. The end node is a member, not a heap node:
// moving a tree never allocates (so a vector of trees relocates cheaply), but end()
// iterators of a moved tree change while iterators at real nodes stay valid.
//
// Deep trees (a file system can nest thousands of folders) are copied and freed without
// recursion.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <type_traits>
#include <utility>

namespace Marlin {

template <class T>
class tree;

template <class T>
class _tree_node {
public:
    _tree_node() = default;
    explicit _tree_node(const T& value) : data(value) {}
    explicit _tree_node(T&& value) : data(std::move(value)) {}
    virtual ~_tree_node() = default;
    _tree_node(const _tree_node&) = delete;
    _tree_node& operator=(const _tree_node&) = delete;

    _tree_node* parent = nullptr;
    _tree_node* first_child = nullptr;
    _tree_node* last_child = nullptr;
    _tree_node* prev_sibling = nullptr;
    _tree_node* next_sibling = nullptr;
    T data{};
    int32_t depth = 0;        // 0 for the head
    int32_t child_count = 0;  // number of children currently linked
};

// A position in a tree: what every iterator kind has in common. Functions that only need
// "a node" take this type, so any iterator kind converts to it, and the non-const form
// converts to the const one.
template <class T, bool IsConst>
class _tree_iterator_base {
public:
    using node_type = _tree_node<T>;
    using node_pointer = std::conditional_t<IsConst, const node_type*, node_type*>;
    using value_type = T;
    using reference = std::conditional_t<IsConst, const T&, T&>;
    using pointer = std::conditional_t<IsConst, const T*, T*>;
    using difference_type = std::ptrdiff_t;

    _tree_iterator_base() = default;
    explicit _tree_iterator_base(node_pointer node) : node_(node) {}
    template <bool C = IsConst, std::enable_if_t<C, int> = 0>
    _tree_iterator_base(const _tree_iterator_base<T, false>& other) : node_(other.node()) {}
    virtual ~_tree_iterator_base() = default;
    _tree_iterator_base(const _tree_iterator_base&) = default;
    _tree_iterator_base& operator=(const _tree_iterator_base&) = default;

    reference operator*() const { return node_->data; }
    pointer operator->() const { return &node_->data; }
    node_pointer node() const { return node_; }
    int32_t depth() const { return node_->depth; }
    int32_t number_of_children() const { return node_->child_count; }

    friend bool operator==(const _tree_iterator_base& a, const _tree_iterator_base& b) {
        return a.node_ == b.node_;
    }
    friend bool operator!=(const _tree_iterator_base& a, const _tree_iterator_base& b) {
        return a.node_ != b.node_;
    }

protected:
    node_pointer node_ = nullptr;
};

template <class T>
using _tree_iterator = _tree_iterator_base<T, false>;
template <class T>
using _tree_const_iterator = _tree_iterator_base<T, true>;

// Pre-order: a node, then its children's subtrees in order, then its next sibling.
template <class T, bool IsConst>
class _tree_preorder_iterator : public _tree_iterator_base<T, IsConst> {
    using base = _tree_iterator_base<T, IsConst>;

public:
    using iterator_category = std::forward_iterator_tag;
    using typename base::node_pointer;

    _tree_preorder_iterator() = default;
    explicit _tree_preorder_iterator(node_pointer node) : base(node) {}
    explicit _tree_preorder_iterator(const base& position) : base(position) {}
    template <bool C = IsConst, std::enable_if_t<C, int> = 0>
    _tree_preorder_iterator(const _tree_preorder_iterator<T, false>& other) : base(other.node()) {}

    _tree_preorder_iterator& operator++() {
        if (this->node_ && this->node_->first_child)
            this->node_ = this->node_->first_child;
        else
            skip_children();
        return *this;
    }
    _tree_preorder_iterator operator++(int) {
        _tree_preorder_iterator old = *this;
        ++*this;
        return old;
    }

    // Moves past this node's whole subtree: to the node that pre-order visits after its last
    // descendant (end() after the head's subtree).
    _tree_preorder_iterator& skip_children() {
        node_pointer n = this->node_;
        while (n && !n->next_sibling) n = n->parent;
        this->node_ = n ? n->next_sibling : nullptr;
        return *this;
    }
};

// The children of one node in order. Its end holds no node but still knows the parent, so
// ends of different child lists do not compare equal.
template <class T, bool IsConst>
class _tree_sibling_iterator : public _tree_iterator_base<T, IsConst> {
    using base = _tree_iterator_base<T, IsConst>;

public:
    using iterator_category = std::forward_iterator_tag;
    using typename base::node_pointer;

    _tree_sibling_iterator() = default;
    _tree_sibling_iterator(node_pointer node, node_pointer parent) : base(node), parent_(parent) {}
    explicit _tree_sibling_iterator(const base& position)
        : base(position), parent_(position.node() ? position.node()->parent : nullptr) {}
    template <bool C = IsConst, std::enable_if_t<C, int> = 0>
    _tree_sibling_iterator(const _tree_sibling_iterator<T, false>& other)
        : base(other.node()), parent_(other.parent()) {}

    node_pointer parent() const { return parent_; }

    _tree_sibling_iterator& operator++() {
        if (this->node_) this->node_ = this->node_->next_sibling;
        return *this;
    }
    _tree_sibling_iterator operator++(int) {
        _tree_sibling_iterator old = *this;
        ++*this;
        return old;
    }

    friend bool operator==(const _tree_sibling_iterator& a, const _tree_sibling_iterator& b) {
        return a.node_ == b.node_ && a.parent_ == b.parent_;
    }
    friend bool operator!=(const _tree_sibling_iterator& a, const _tree_sibling_iterator& b) {
        return !(a == b);
    }

private:
    node_pointer parent_ = nullptr;
};

// Upwards: starts at the given node and steps to its parent until past the head; the
// default-constructed iterator is the end.
template <class T, bool IsConst>
class _tree_parent_iterator : public _tree_iterator_base<T, IsConst> {
    using base = _tree_iterator_base<T, IsConst>;

public:
    using iterator_category = std::forward_iterator_tag;
    using typename base::node_pointer;

    _tree_parent_iterator() = default;
    explicit _tree_parent_iterator(node_pointer node) : base(node) {}
    explicit _tree_parent_iterator(const base& position) : base(position) {}
    template <bool C = IsConst, std::enable_if_t<C, int> = 0>
    _tree_parent_iterator(const _tree_parent_iterator<T, false>& other) : base(other.node()) {}

    _tree_parent_iterator& operator++() {
        if (this->node_) this->node_ = this->node_->parent;
        return *this;
    }
    _tree_parent_iterator operator++(int) {
        _tree_parent_iterator old = *this;
        ++*this;
        return old;
    }
};

template <class T>
class tree {
public:
    using value_type = T;
    using node_type = _tree_node<T>;
    using iterator_base = _tree_iterator<T>;
    using const_iterator_base = _tree_const_iterator<T>;
    using iterator = _tree_preorder_iterator<T, false>;
    using const_iterator = _tree_preorder_iterator<T, true>;
    using sibling_iterator = _tree_sibling_iterator<T, false>;
    using const_sibling_iterator = _tree_sibling_iterator<T, true>;
    using parent_iterator = _tree_parent_iterator<T, false>;
    using const_parent_iterator = _tree_parent_iterator<T, true>;

    tree() = default;
    tree(const tree& other) {
        try {
            copy_from(other);
        } catch (...) {
            clear();
            throw;
        }
    }
    tree(tree&& other) noexcept { take(other); }
    tree& operator=(const tree& other) {
        if (this != &other) {
            tree copy(other);
            swap(copy);
        }
        return *this;
    }
    tree& operator=(tree&& other) noexcept {
        if (this != &other) {
            clear();
            take(other);
        }
        return *this;
    }
    virtual ~tree() { clear(); }

    iterator begin() { return iterator(head_ ? head_ : &end_node_); }
    const_iterator begin() const { return const_iterator(head_ ? head_ : &end_node_); }
    iterator end() { return iterator(&end_node_); }
    const_iterator end() const { return const_iterator(&end_node_); }

    bool empty() const { return head_ == nullptr; }
    // Counts by walking; the trees are walked far more often than they are measured.
    size_t size() const {
        size_t n = 0;
        for (const_iterator it = begin(); it != end(); ++it) ++n;
        return n;
    }

    // A tree has one head for life: a second call leaves it and returns it.
    iterator set_head(const T& value) { return head_ ? begin() : install_head(new node_type(value)); }
    iterator set_head(T&& value) { return head_ ? begin() : install_head(new node_type(std::move(value))); }

    // Appends as the parent's last child. A position that holds no node of a tree (an empty
    // position, or an end()) gets nothing and yields end().
    iterator append_child(const iterator_base& parent, const T& value) {
        if (!is_node(parent.node())) return end();
        return link_child(parent.node(), new node_type(value));
    }
    iterator append_child(const iterator_base& parent, T&& value) {
        if (!is_node(parent.node())) return end();
        return link_child(parent.node(), new node_type(std::move(value)));
    }

    sibling_iterator begin_children(const iterator_base& parent) {
        node_type* p = parent.node();
        return sibling_iterator(p ? p->first_child : nullptr, p);
    }
    sibling_iterator end_children(const iterator_base& parent) { return sibling_iterator(nullptr, parent.node()); }
    const_sibling_iterator begin_children(const const_iterator_base& parent) const {
        const node_type* p = parent.node();
        return const_sibling_iterator(p ? p->first_child : nullptr, p);
    }
    const_sibling_iterator end_children(const const_iterator_base& parent) const {
        return const_sibling_iterator(nullptr, parent.node());
    }

    // Frees the node and everything below it; returns the node pre-order visits next.
    // Erasing the head empties the tree. end() and empty positions are left alone.
    iterator erase(const iterator_base& position) {
        node_type* n = position.node();
        if (!is_node(n)) return end();
        iterator next = iterator(n);
        next.skip_children();
        if (n == head_) {
            head_ = nullptr;
            end_node_.prev_sibling = nullptr;
        } else {
            node_type* p = n->parent;
            if (n->prev_sibling)
                n->prev_sibling->next_sibling = n->next_sibling;
            else
                p->first_child = n->next_sibling;
            if (n->next_sibling)
                n->next_sibling->prev_sibling = n->prev_sibling;
            else
                p->last_child = n->prev_sibling;
            --p->child_count;
        }
        free_subtree(n);
        return head_ ? next : end();
    }

    void clear() {
        if (!head_) return;
        node_type* h = head_;
        head_ = nullptr;
        end_node_.prev_sibling = nullptr;
        free_subtree(h);
    }

    void swap(tree& other) noexcept {
        std::swap(head_, other.head_);
        relink_end();
        other.relink_end();
    }

private:
    bool is_node(const node_type* n) const { return n != nullptr && n != &end_node_; }

    iterator install_head(node_type* h) {
        h->depth = 0;
        head_ = h;
        relink_end();
        return iterator(h);
    }

    void relink_end() {
        end_node_.prev_sibling = head_;
        if (head_) head_->next_sibling = &end_node_;
    }

    static iterator link_child(node_type* parent, node_type* child) {
        child->parent = parent;
        child->depth = parent->depth + 1;
        child->prev_sibling = parent->last_child;
        if (parent->last_child)
            parent->last_child->next_sibling = child;
        else
            parent->first_child = child;
        parent->last_child = child;
        ++parent->child_count;
        return iterator(child);
    }

    void take(tree& other) noexcept {
        head_ = other.head_;
        other.head_ = nullptr;
        other.end_node_.prev_sibling = nullptr;
        relink_end();
    }

    // Pre-order walk of the source with a cursor in the copy that climbs as the walk climbs.
    void copy_from(const tree& other) {
        const node_type* top = other.head_;
        if (!top) return;
        node_type* d = install_head(new node_type(top->data)).node();
        const node_type* s = top;
        for (;;) {
            if (s->first_child) {
                s = s->first_child;
                d = link_child(d, new node_type(s->data)).node();
                continue;
            }
            while (s != top && !s->next_sibling) {
                s = s->parent;
                d = d->parent;
            }
            if (s == top) break;  // the head's next sibling is the other tree's end node
            s = s->next_sibling;
            d = link_child(d->parent, new node_type(s->data)).node();
        }
    }

    // Frees r and its descendants leaf by leaf, always taking the first child, so no stack
    // is needed. r's own sibling links are not followed.
    static void free_subtree(node_type* r) {
        node_type* n = r;
        while (n) {
            if (n->first_child) {
                n = n->first_child;
                continue;
            }
            node_type* next = nullptr;
            if (n != r) {
                node_type* p = n->parent;
                p->first_child = n->next_sibling;
                if (!p->first_child) p->last_child = nullptr;
                next = n->next_sibling ? n->next_sibling : p;
            }
            delete n;
            n = next;
        }
    }

    node_type* head_ = nullptr;
    node_type end_node_;
};

}  // namespace Marlin
