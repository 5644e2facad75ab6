#pragma once

// The one sequence container: a doubly linked list that keeps a cursor, so that visiting
// neighbouring positions one after another costs a step instead of a walk from the head.
// Elements are held by value: a List<String> owns its strings, a List<T*> only the references.
template <typename T>
class List {
public:
    // Where the last seek started its walk and how many steps it took.
    enum class SeekOrigin { None, Head, Cursor, Tail };
    struct SeekTrace {
        SeekOrigin origin = SeekOrigin::None;
        int steps = 0;
    };

    List() = default;
    List(const List&) = delete;
    List& operator=(const List&) = delete;
    virtual ~List() { clear(); }

    T& append(const T& element) {
        Node* node = new Node{last_, nullptr, element};
        if (last_) {
            last_->next = node;
        } else {
            first_ = node;
        }
        last_ = node;
        current_ = node;
        position_ = count_++;
        return node->element;
    }

    void seek(int index) {
        if (!first_) return;
        if (index < 0) index += count_;
        if (index < 0) index = 0;
        if (index >= count_) index = count_ - 1;

        int fromCursor = index > position_ ? index - position_ : position_ - index;
        int fromTail = count_ - 1 - index;
        if (fromCursor < fromTail) {
            if (fromCursor >= index) {
                walkFromHead(index);
            } else {
                trace_ = {SeekOrigin::Cursor, fromCursor};
                walk(index - position_);
            }
        } else if (fromTail < index) {
            trace_ = {SeekOrigin::Tail, fromTail};
            current_ = last_;
            position_ = count_ - 1;
            walk(-fromTail);
        } else {
            walkFromHead(index);
        }
    }

    // The element at index (clamped), or none on an empty list.
    T* at(int index) {
        seek(index);
        return current_ ? &current_->element : nullptr;
    }

    void removeCurrent() {
        if (!current_) return;
        Node* removed = current_;
        if (removed->prev) {
            removed->prev->next = removed->next;
        } else {
            first_ = removed->next;
        }
        if (removed->next) {
            removed->next->prev = removed->prev;
            current_ = removed->next;
        } else {
            last_ = removed->prev;
            current_ = last_;
            position_ = count_ - 2;
        }
        delete removed;
        --count_;
        if (count_ == 0) position_ = 0;
    }

    void clear() {
        for (Node* node = first_; node;) {
            Node* next = node->next;
            delete node;
            node = next;
        }
        first_ = last_ = current_ = nullptr;
        count_ = 0;
        position_ = 0;
    }

    int count() const { return count_; }
    int position() const { return position_; }
    SeekTrace lastSeek() const { return trace_; }

private:
    struct Node {
        Node* prev;
        Node* next;
        T element;
    };

    void walkFromHead(int index) {
        trace_ = {SeekOrigin::Head, index};
        current_ = first_;
        position_ = 0;
        walk(index);
    }

    void walk(int steps) {
        for (; steps > 0 && current_->next; --steps) {
            current_ = current_->next;
            ++position_;
        }
        for (; steps < 0 && current_->prev; ++steps) {
            current_ = current_->prev;
            --position_;
        }
    }

    Node* first_ = nullptr;
    Node* last_ = nullptr;
    Node* current_ = nullptr;
    int count_ = 0;
    int position_ = 0;
    SeekTrace trace_;
};
