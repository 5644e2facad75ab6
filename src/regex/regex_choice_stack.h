#pragma once

// The matcher's backtracking stack: a cursor over a chain of 16-entry chunks that the Regex
// keeps from match to match, so that a match allocates nothing once the stack has grown.

#include "regex/regex_program.h"

class ChoiceStack {
public:
    explicit ChoiceStack(ChoiceChunk* first) : first_(first), chunk_(first), top_(first->points) {}

    bool empty() const { return top_ == first_->points; }

    ChoicePoint& push() {
        if (top_ == chunk_->points + kChoiceChunkSize) advance();
        return *top_++;
    }

    void push(int32_t kind, const RegexNode* node, const uint8_t* pos, const uint8_t* floor, int32_t saved,
              int32_t count, int32_t active) {
        ChoicePoint& point = push();
        point.kind = kind;
        point.node = node;
        point.pos = pos;
        point.floor = floor;
        point.saved = saved;
        point.count = count;
        point.active = active;
    }

    // The topmost point; the stack must not be empty.
    ChoicePoint& top() { return top_[-1]; }

    // The cursor never rests on slot 0 of a chunk other than the first, so top() stays one
    // step back.
    void pop() {
        --top_;
        if (top_ == chunk_->points && chunk_->prev) {
            chunk_ = chunk_->prev;
            top_ = chunk_->points + kChoiceChunkSize;
        }
    }

    // The nearest point of the given kinds that belongs to node, or none.
    ChoicePoint* findNearest(int32_t kind, int32_t otherKind, const RegexNode* node) {
        ChoiceChunk* chunk = chunk_;
        ChoicePoint* point = top_;
        for (;;) {
            while (point > chunk->points) {
                --point;
                if ((point->kind == kind || point->kind == otherKind) && point->node == node) return point;
            }
            chunk = chunk->prev;
            if (!chunk) return nullptr;
            point = chunk->points + kChoiceChunkSize;
        }
    }

private:
    void advance() {
        if (!chunk_->next) {
            ChoiceChunk* added = new ChoiceChunk();
            added->prev = chunk_;
            chunk_->next = added;
        }
        chunk_ = chunk_->next;
        top_ = chunk_->points;
    }

    ChoiceChunk* first_;
    ChoiceChunk* chunk_;
    ChoicePoint* top_;
};
