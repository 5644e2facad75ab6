#pragma once

// The matcher's backtracking stack: a cursor over a chain of 16-entry chunks that the Regex
// keeps from match to match, so that a match allocates nothing once the stack has grown.
// Saved group spans live on it too: a span is saved at most once per generation, the stretch
// of work between two choices, which is all that backtracking needs to restore it.

#include "regex/regex_program.h"

class ChoiceStack {
public:
    explicit ChoiceStack(ChoiceChunk* first) : first_(first), chunk_(first), top_(first->points) {}

    bool empty() const { return top_ == first_->points; }

    // A choice point: backtracking may resume here, so a new generation begins.
    ChoicePoint& push() {
        ++generation_;
        return pushRecord();
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

    // A saved group span: no choice of its own.
    void pushSavedCapture(const RegexNode* group, int32_t start, int32_t end) {
        ChoicePoint& point = pushRecord();
        point.kind = SavedCapture;
        point.node = group;
        point.saved = start;
        point.count = end;
    }

    // Bumped by every choice pushed and by every backtrack: a span saved in an earlier
    // generation need not describe the spans at the topmost choice.
    uint64_t generation() const { return generation_; }
    void newGeneration() { ++generation_; }

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

    // Drops the nearest point of this kind that belongs to node together with every choice
    // above it; the saved spans among them move down in order, since they still describe the
    // spans of the choices below. False when there is no such point.
    bool cutKeepingSaves(int32_t kind, const RegexNode* node) {
        ChoiceChunk* chunk = chunk_;
        ChoicePoint* point = top_;
        for (;;) {
            while (point > chunk->points) {
                --point;
                if (point->kind == kind && point->node == node) return cutFrom(chunk, point);
            }
            chunk = chunk->prev;
            if (!chunk) return false;
            point = chunk->points + kChoiceChunkSize;
        }
    }

private:
    ChoicePoint& pushRecord() {
        if (top_ == chunk_->points + kChoiceChunkSize) advance();
        return *top_++;
    }

    bool cutFrom(ChoiceChunk* chunk, ChoicePoint* cut) {
        ChoiceChunk* writeChunk = chunk;
        ChoicePoint* write = cut;
        ChoiceChunk* readChunk = chunk;
        ChoicePoint* read = cut + 1;
        while (!(readChunk == chunk_ && read == top_)) {
            if (read == readChunk->points + kChoiceChunkSize) {
                readChunk = readChunk->next;
                read = readChunk->points;
                continue;
            }
            if (read->kind == SavedCapture) {
                if (write == writeChunk->points + kChoiceChunkSize) {
                    writeChunk = writeChunk->next;
                    write = writeChunk->points;
                }
                *write++ = *read;
            }
            ++read;
        }
        chunk_ = writeChunk;
        top_ = write;
        if (top_ == chunk_->points && chunk_->prev) {
            chunk_ = chunk_->prev;
            top_ = chunk_->points + kChoiceChunkSize;
        }
        ++generation_;
        return true;
    }

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
    uint64_t generation_ = 0;
};
